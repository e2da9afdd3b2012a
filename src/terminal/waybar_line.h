// SPDX-License-Identifier: GPL-3.0-or-later
// waybar_line.h: the first battery as one line for a status bar's custom module
// (--print=waybar): {"text", "tooltip", "class", "percentage"}.
#pragma once
#include <string>

#include "acquisition/battery_snapshot.h"
#include "presentation/capacity_unit.h"

// One line of UTF-8 without its line feed. text: the compact strip's rate; tooltip: the
// status, the battery's name with its charge, and the notes, one per line; class:
// "charging", "discharging", "not-charging" or, without a battery, "no-battery";
// percentage: the charge as a whole number, or null.
std::string waybar_line(const BatterySnapshot& snapshot, CapacityUnit unit, bool demo_mode);
