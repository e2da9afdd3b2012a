// SPDX-License-Identifier: GPL-3.0-or-later
// unit_preference.h: the one-byte unit file under the user's configuration directory.
#pragma once
#include <optional>
#include <string>

#include "app/startup_settings.h"
#include "presentation/capacity_unit.h"

// TAVRINO_CONFIG_HOME/unit, XDG_CONFIG_HOME/tavrino/unit or HOME/.config/tavrino/unit,
// the first whose variable is set to an absolute path; empty when there is none. Values
// are used as they are: no trailing "/" is removed, no "~" expanded.
std::string unit_file_path();

// The stored byte, 'W' or 'm'; nullopt for an empty path, a missing file, anything but a
// regular file, any other byte or more than one byte.
std::optional<char> read_unit_file(const std::string& path);

// Writes the unit's byte to unit_file_path() through a temporary file and a rename,
// creating the directories with mode 0700. True on success, including when the file
// already holds the byte (then nothing is written). A failure leaves no temporary file.
bool save_unit_file(CapacityUnit unit);

// The unit at start-up: the --unit= option's, else Wh in demo mode (the file is not even
// read), else the unit file's. The option's unit is never saved.
CapacityUnit choose_unit(const StartupSettings& settings);
