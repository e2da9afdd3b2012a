// SPDX-License-Identifier: GPL-3.0-or-later
// command_line.h: option parsing as a pure function; main() prints and exits.
#pragma once
#include <span>
#include <string>

#include "app/startup_settings.h"

struct CommandLineResult {
    bool run = false;         // false: print the texts and exit with exit_status
    int exit_status = 0;      // 0 (--version, --help) or 2 (error); meaningless when run
    std::string stdout_text;  // the version line or the help text
    std::string stderr_text;  // one error line
    StartupSettings settings;
};

// args are the arguments after the program name. The first --version, --help or error
// decides; later arguments are not looked at. A repeated option overwrites an earlier one.
CommandLineResult parse_command_line(std::span<const char* const> args);
