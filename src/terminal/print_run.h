// SPDX-License-Identifier: GPL-3.0-or-later
// print_run.h: --print and --watch, the readings in a terminal instead of a window.
#pragma once
#include <string>

#include "acquisition/battery_snapshot.h"
#include "acquisition/supply_cache.h"
#include "app/startup_settings.h"
#include "presentation/capacity_unit.h"
#include "terminal/print_form.h"

// The output of one pass in the form asked for: UTF-8, ending in a line feed. terminal:
// the text form aligns its columns. The executable and the tests both print through this.
std::string print_output(PrintForm form, const BatterySnapshot& snapshot, CapacityUnit unit,
                         bool demo_mode, bool terminal);

// What one run of --print keeps from pass to pass.
struct PrintPasses {
    const StartupSettings* settings = nullptr;
    CapacityUnit unit = CapacityUnit::Wh;
    bool terminal = false;  // standard output is a terminal: the text form aligns
    SupplyCache cache;      // its list and rescan rules are the window reader's
    BatterySnapshot last_snapshot;
    std::string last_output;
    bool has_last = false;
    bool unreadable = false;  // the last pass found no reading because of a problem
};

// One reading pass and its output, in the locale's character set for the text form. As
// the window's reader publishes only a changed snapshot, the output is made again only
// when the snapshot differs from the last one: a steady battery costs a pass and a compare.
std::string next_output(PrintPasses& passes);

// The whole run after the command line, without GTK: one pass (or, with watch, a pass every
// 2 seconds) printed to standard output. The unit is the option's, else the saved one (read,
// never written), else Wh. Returns the exit status: 1 when the pass found no reading because
// of a problem, or the output could not be written; else 0.
int run_print(const StartupSettings& settings);
