// The probability engine bridge: the contract (kelvane_engine.h), loading the library,
// the event sink and the statistics panel.
#pragma once

#include "engine_events.h"
#include "engine_loader.h"
#include "kelvane_engine.h"
#include "stats_panel.h"
