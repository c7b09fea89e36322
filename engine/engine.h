// The probability engine bridge: loading the library, the driver that runs it and checks
// what it reports, the event sink and the statistics panel, over the contract of
// kelvane_engine.h.
#pragma once

#include "engine_driver.h"
#include "engine_events.h"
#include "engine_loader.h"
#include "kelvane_engine.h"
#include "stats_panel.h"
