// SPDX-License-Identifier: GPL-3.0-or-later
// json_document.h: the readings of one pass as one JSON object, for scripts (--print=json).
#pragma once
#include <string>

#include "acquisition/battery_snapshot.h"
#include "presentation/capacity_unit.h"

// Raised whenever a field changes its meaning; fields may be added without it.
inline constexpr int kJsonFormat = 1;

// One line of UTF-8 without its line feed. The texts are the window's in `unit` and in the
// user's language; every figure comes in both units. Absent figures and texts are null.
std::string json_document(const BatterySnapshot& snapshot, CapacityUnit unit, bool demo_mode);
