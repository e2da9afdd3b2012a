// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/capacity_figures.h"

#include "presentation/figure_format.h"

namespace {

// 1000 converts between Wh and mAh through volts: Wh = mAh * V / 1000.
constexpr double kMilli = 1000.0;

bool is_estimated(OptionalNumber wh, OptionalNumber mah, CapacityUnit unit) {
    const OptionalNumber native = unit == CapacityUnit::Wh ? wh : mah;
    const OptionalNumber foreign = unit == CapacityUnit::Wh ? mah : wh;
    return !is_usable(native) && is_usable(foreign);
}

}  // namespace

bool is_usable(OptionalNumber number) {
    const OptionalNumber n = normalized(number);
    return n.present && n.value >= 0.0;
}

OptionalNumber capacity_in_unit(OptionalNumber wh, OptionalNumber mah, OptionalNumber voltage_v,
                                CapacityUnit unit) {
    const OptionalNumber native = normalized(unit == CapacityUnit::Wh ? wh : mah);
    if (native.present && native.value >= 0.0) {
        return native;
    }
    const OptionalNumber foreign = normalized(unit == CapacityUnit::Wh ? mah : wh);
    const OptionalNumber volts = normalized(voltage_v);
    if (!foreign.present || foreign.value < 0.0 || !volts.present || volts.value <= 0.0) {
        return OptionalNumber::absent();
    }
    const double converted = unit == CapacityUnit::Wh ? foreign.value * volts.value / kMilli
                                                      : foreign.value * kMilli / volts.value;
    return normalized(OptionalNumber::of(converted));
}

OptionalNumber percent_of(OptionalNumber part, OptionalNumber whole, bool clamp) {
    const OptionalNumber p = normalized(part);
    const OptionalNumber w = normalized(whole);
    if (!p.present || p.value < 0.0 || !w.present || w.value <= 0.0) {
        return OptionalNumber::absent();
    }
    double percent = p.value / w.value * 100.0;
    if (clamp) {
        percent = percent < 0.0 ? 0.0 : percent > 100.0 ? 100.0 : percent;
    }
    return normalized(OptionalNumber::of(percent));
}

OptionalNumber charge_percent_of(const BatteryReading* reading) {
    if (reading == nullptr) {
        return OptionalNumber::absent();
    }
    const OptionalNumber reported = normalized(reading->capacity_percent);
    if (reported.present && reported.value >= 0.0) {
        return OptionalNumber::of(reported.value > 100.0 ? 100.0 : reported.value);
    }
    if (reading->relative_only) {
        return normalized(reading->relative_charge_percent);
    }
    const OptionalNumber by_energy =
        percent_of(reading->energy_now_wh, reading->energy_full_wh, true);
    if (by_energy.present) {
        return by_energy;
    }
    return percent_of(reading->charge_now_mah, reading->charge_full_mah, true);
}

OptionalNumber health_percent_of(const BatteryReading* reading) {
    if (reading == nullptr) {
        return OptionalNumber::absent();
    }
    if (reading->relative_only) {
        return normalized(reading->relative_health_percent);
    }
    const OptionalNumber by_energy =
        percent_of(reading->energy_full_wh, reading->energy_full_design_wh, false);
    if (by_energy.present) {
        return by_energy;
    }
    return percent_of(reading->charge_full_mah, reading->charge_full_design_mah, false);
}

double charge_bar_fraction(OptionalNumber charge_percent) {
    const OptionalNumber percent = normalized(charge_percent);
    const double fraction = percent.present ? percent.value / 100.0 : 0.0;
    return fraction < 0.0 ? 0.0 : fraction > 1.0 ? 1.0 : fraction;
}

bool has_estimated_capacity(const BatteryReading& reading, CapacityUnit unit) {
    return is_estimated(reading.energy_now_wh, reading.charge_now_mah, unit) ||
           is_estimated(reading.energy_full_wh, reading.charge_full_mah, unit) ||
           is_estimated(reading.energy_full_design_wh, reading.charge_full_design_mah, unit);
}
