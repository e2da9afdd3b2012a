// SPDX-License-Identifier: GPL-3.0-or-later
// capacity_figures.h: capacities in the chosen unit, percentages and the charge bar.
#pragma once
#include "acquisition/battery_snapshot.h"
#include "acquisition/optional_number.h"
#include "presentation/capacity_unit.h"

// Present, finite and 0 or more: a value a capacity may be taken from.
bool is_usable(OptionalNumber number);

// One capacity figure in the display unit: the native value (the one already in `unit`)
// when usable, else the other unit's value converted through the voltage (V > 0), else
// absent. A negative native value counts as missing.
OptionalNumber capacity_in_unit(OptionalNumber wh, OptionalNumber mah, OptionalNumber voltage_v,
                                CapacityUnit unit);

// part / whole * 100; absent unless part >= 0 and whole > 0. With clamp, kept within 0..100.
OptionalNumber percent_of(OptionalNumber part, OptionalNumber whole, bool clamp);

// The charge level of a reading (or of none, when reading is null): the reported capacity,
// capped at 100, else the relative level, else energy or charge now against full.
OptionalNumber charge_percent_of(const BatteryReading* reading);

// Full charge against design; not capped, a renewed battery may show more than 100%.
OptionalNumber health_percent_of(const BatteryReading* reading);

// The bar's fraction for a charge percentage: absent is 0, and the result stays in 0..1.
double charge_bar_fraction(OptionalNumber charge_percent);

// A capacity pair of the reading whose display-unit field is unusable and whose other field
// is usable, so the shown figure can only come from the voltage. Checks remaining, full
// charge and design.
bool has_estimated_capacity(const BatteryReading& reading, CapacityUnit unit);
