// SPDX-License-Identifier: GPL-3.0-or-later
// location_env.h: where the unit file is, for the rest of the test process.
#pragma once
#include <cstdlib>
#include <utility>

// Sets the three variables that locate the unit file; nullptr unsets one.
inline void locate_unit_file(const char* own, const char* xdg = nullptr, const char* home = nullptr) {
    for (const auto& [name, value] : {std::pair{"TAVRINO_CONFIG_HOME", own}, {"XDG_CONFIG_HOME", xdg},
                                      {"HOME", home}}) {
        value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
}
