// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/battery_reading.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace {

// The kernel speaks micro-units; convert here so no caller sees one.
constexpr double kMicro = 1000000.0;  // µV -> V, µWh -> Wh, µW -> W
constexpr double kMilli = 1000.0;     // µAh -> mAh, µA -> mA

struct ScaledQuantity {
    Attribute attribute;
    bool zero_allowed;  // only "now" figures may be 0: an empty battery
    double divisor;
    OptionalNumber BatteryReading::*field;
};

// Read in this order; a zero full, design or voltage figure means "not known".
constexpr std::array<ScaledQuantity, 7> kScaledQuantities = {{
    {Attribute::VoltageNow, false, kMicro, &BatteryReading::voltage_v},
    {Attribute::EnergyNow, true, kMicro, &BatteryReading::energy_now_wh},
    {Attribute::EnergyFull, false, kMicro, &BatteryReading::energy_full_wh},
    {Attribute::EnergyFullDesign, false, kMicro, &BatteryReading::energy_full_design_wh},
    {Attribute::ChargeNow, true, kMilli, &BatteryReading::charge_now_mah},
    {Attribute::ChargeFull, false, kMilli, &BatteryReading::charge_full_mah},
    {Attribute::ChargeFullDesign, false, kMilli, &BatteryReading::charge_full_design_mah},
}};

// Live cycle counts lie strictly between 0 (never reported) and UINT32_MAX (a driver's
// "unknown" filler).
constexpr double kCycleCountCeiling = 4294967295.0;

OptionalNumber divided(OptionalNumber raw, double divisor) {
    return raw.present ? OptionalNumber::of(raw.value / divisor) : raw;
}

} // namespace

OptionalNumber signed_rate(OptionalNumber magnitude, std::string_view status) {
    if (!magnitude.present || !std::isfinite(magnitude.value)) {
        return OptionalNumber::absent();
    }
    if (status == "Charging") {
        return OptionalNumber::of(std::fabs(magnitude.value));
    }
    if (status == "Discharging") {
        return OptionalNumber::of(-std::fabs(magnitude.value));
    }
    return magnitude;
}

bool read_battery(AttributeMap& map, const std::string& id, const std::string& name,
                  const std::string& manufacturer, const std::string& technology,
                  BatterySnapshot& snapshot) {
    // Built in place: a reading is large, and moving one in costs more than filling it.
    BatteryReading& r = snapshot.readings.emplace_back();
    r.id = id;
    r.name = name;
    r.manufacturer = manufacturer;
    r.technology = technology;

    // Points into the map, which later reads of this supply leave in place.
    const std::string_view status = read_text(map, Attribute::BatteryStatus);
    r.charging = status == "Charging";
    r.discharging = status == "Discharging";
    r.direction_known = r.charging || r.discharging;

    for (const ScaledQuantity& q : kScaledQuantities) {
        r.*q.field = read_scaled(map, q.attribute, q.zero_allowed, q.divisor);
    }

    // Zero and negative raw rates are accepted: some drivers report the drain negated.
    r.power_w = signed_rate(divided(read_integer(map, Attribute::PowerNow), kMicro), status);
    r.current_ma = signed_rate(divided(read_integer(map, Attribute::CurrentNow), kMilli), status);

    const OptionalNumber capacity = read_integer(map, Attribute::Capacity);
    if (capacity.present && capacity.value >= 0 && capacity.value <= 100) {
        r.capacity_percent = capacity;
    }

    const OptionalNumber cycles = read_integer(map, Attribute::CycleCount);
    if (cycles.present && cycles.value > 0 && cycles.value < kCycleCountCeiling) {
        r.cycle_count = static_cast<std::uint32_t>(cycles.value);
        r.has_cycle_count = true;
    }

    if (status.empty() && !r.voltage_v.present && !r.energy_now_wh.present &&
        !r.charge_now_mah.present && !r.capacity_percent.present) {
        snapshot.error_message = _(kReadingsUnavailableMessage);
        return true;
    }
    return false;
}
