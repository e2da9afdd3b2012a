// SPDX-License-Identifier: GPL-3.0-or-later
// text_layout.h: the readings of one pass as rows for a person to read (--print).
#pragma once
#include <string>
#include <string_view>

#include "acquisition/battery_snapshot.h"
#include "presentation/capacity_unit.h"

// Columns a terminal gives the text: two for a wide (East Asian) character, none for a
// combining one, one for any other.
int display_width(std::string_view utf8);

// Every battery in the selector's order: caption and rate, status, name and charge, the
// capacities, health, voltage, notes and details; then, once, why there is no battery, the
// problem text and the footer. For a terminal the values start in one column, aligned by
// display width; otherwise each row is "caption: value". UTF-8, ending in a line feed.
std::string text_layout(const BatterySnapshot& snapshot, CapacityUnit unit, bool demo_mode,
                        bool terminal);
