// SPDX-License-Identifier: GPL-3.0-or-later
// print_run.h: --print and --watch, the readings in a terminal instead of a window.
#pragma once
#include <string>

#include "acquisition/battery_snapshot.h"
#include "app/startup_settings.h"
#include "presentation/capacity_unit.h"
#include "terminal/print_form.h"

// The output of one pass in the form asked for: UTF-8, ending in a line feed. terminal:
// the text form aligns its columns. The executable and the tests both print through this.
std::string print_output(PrintForm form, const BatterySnapshot& snapshot, CapacityUnit unit,
                         bool demo_mode, bool terminal);

// The whole run after the command line, without GTK: one pass (or, with watch, a pass every
// 2 seconds) printed to standard output. The unit is the option's, else the saved one (read,
// never written), else Wh. Returns the exit status: 1 when the pass found no reading because
// of a problem, or the output could not be written; else 0.
int run_print(const StartupSettings& settings);
