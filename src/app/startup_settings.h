// SPDX-License-Identifier: GPL-3.0-or-later
// startup_settings.h: what the command line asked for, used once during start-up.
#pragma once
#include <cstdint>
#include <string>

#include "presentation/capacity_unit.h"
#include "terminal/print_form.h"

struct StartupSettings {
    std::string sysfs_root = "/sys/class/power_supply";
    std::string theme;          // "light" or "dark" take effect; anything else is ignored
    std::string demo_scenario;  // may be empty even in demo mode
    bool demo_given = false;
    std::int32_t quit_after_seconds = 0;  // 0: no timed exit; else 1..86400
    bool start_compact = false;
    bool unit_given = false;
    CapacityUnit unit_option = CapacityUnit::Wh;
    PrintForm print_form = PrintForm::none;  // not none: print instead of opening a window
    bool watch = false;                      // with print_form: again whenever it changes
};
