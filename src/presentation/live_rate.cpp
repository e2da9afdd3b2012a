// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/live_rate.h"

#include "presentation/figure_format.h"

OptionalNumber rate_in_unit(const BatteryReading& reading, CapacityUnit unit) {
    if (reading.relative_only) {
        return OptionalNumber::absent();
    }
    const bool watts = unit == CapacityUnit::Wh;
    const OptionalNumber native = normalized(watts ? reading.power_w : reading.current_ma);
    if (native.present) {
        return native;
    }
    const OptionalNumber foreign = normalized(watts ? reading.current_ma : reading.power_w);
    const OptionalNumber volts = normalized(reading.voltage_v);
    if (!foreign.present || !volts.present || volts.value <= 0.0) {
        return OptionalNumber::absent();
    }
    // W = mA * V / 1000 and mA = W * 1000 / V; the sign follows the source.
    const double converted =
        watts ? foreign.value * volts.value / 1000.0 : foreign.value * 1000.0 / volts.value;
    return normalized(OptionalNumber::of(converted));
}
