// unit_preference.h: the one-byte unit file under the user's configuration directory.
#pragma once
#include <optional>
#include <string>

#include "presentation/capacity_unit.h"

// TAVRINO_CONFIG_HOME/unit, XDG_CONFIG_HOME/tavrino/unit or HOME/.config/tavrino/unit,
// the first whose variable is set to an absolute path; empty when there is none.
std::string unit_file_path();

// The stored byte, 'W' or 'm'; nullopt for a missing file, an empty path, any other byte
// or more than one byte.
std::optional<char> read_unit_file(const std::string& path);

// Writes the unit's byte through a temporary file and a rename, creating the directories
// with mode 0700. True on success, including when the file already holds the byte.
bool save_unit_file(CapacityUnit unit);
