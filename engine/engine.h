// The probability engine bridge: loading the library and the driver that runs it, checks
// what its sink reports and shows it on the statistics panel, over the engine client of
// contract/.
#pragma once

#include "engine_driver.h"
#include "engine_loader.h"
#include "kelvane_engine.h"
#include "stats_panel.h"
