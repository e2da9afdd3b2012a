// SPDX-License-Identifier: GPL-3.0-or-later
// capacity_unit.h: the unit that capacities and rates are shown in.
#pragma once

// Equals the item index of the unit chooser; saved as the byte 'W' or 'm'.
enum class CapacityUnit { Wh = 0, mAh = 1 };
