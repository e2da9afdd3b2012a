// SPDX-License-Identifier: GPL-3.0-or-later
// live_rate.h: the present charge or drain rate of a battery, in the unit shown.
#pragma once
#include "acquisition/battery_snapshot.h"
#include "acquisition/optional_number.h"
#include "presentation/capacity_unit.h"

// Signed (> 0 charging): watts for Wh, milliamperes for mAh. The unit's own field when the
// battery reports it, else the other one converted through a voltage above 0, else absent.
// Always absent for a battery that reports relative values only.
OptionalNumber rate_in_unit(const BatteryReading& reading, CapacityUnit unit);
