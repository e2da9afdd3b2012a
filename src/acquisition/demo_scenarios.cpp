// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/demo_scenarios.h"

#include <glib/gi18n-lib.h>

namespace {

// The base sample: 35.328 of 55.2 Wh is a 64 % charge, 55.2 of 60 Wh a 92 % health.
BatteryReading base_sample() {
    BatteryReading r;
    r.id = "sample-1";
    // TRANSLATORS: the name of the sample battery shown with --demo.
    r.name = _("Internal battery");
    // TRANSLATORS: the maker of the sample battery shown with --demo.
    r.manufacturer = _("Sample manufacturer");
    // TRANSLATORS: the cell chemistry of the sample battery shown with --demo.
    r.technology = _("Lithium ion");
    r.cycle_count = 142;
    r.has_cycle_count = true;
    r.energy_full_design_wh = OptionalNumber::of(60.0);
    r.energy_full_wh = OptionalNumber::of(55.2);
    r.energy_now_wh = OptionalNumber::of(35.328);
    r.voltage_v = OptionalNumber::of(12.0);
    r.power_w = OptionalNumber::of(-12.48);
    r.discharging = true;
    return r;
}

void apply_scenario(const std::string& scenario, BatteryReading& r) {
    if (scenario == "charging" || scenario == "zero-charging") {
        r.power_w = OptionalNumber::of(scenario == "charging" ? 24.0 : 0.0);
        r.charging = true;
        r.discharging = false;
        r.on_external_power = true;
    } else if (scenario == "idle") {
        r.power_w = OptionalNumber::of(0.0);
        r.discharging = false;
        r.on_external_power = true;
    } else if (scenario == "unknown") {
        r.power_w = OptionalNumber::absent();
    } else if (scenario == "no-voltage") {
        r.voltage_v = OptionalNumber::absent();
    } else if (scenario == "relative") {
        r.relative_only = true;
        r.relative_charge_percent = OptionalNumber::of(64.0);
        r.relative_health_percent = OptionalNumber::of(92.0);
        r.power_w = OptionalNumber::absent();
        r.energy_full_design_wh = OptionalNumber::absent();
        r.energy_full_wh = OptionalNumber::absent();
        r.energy_now_wh = OptionalNumber::absent();
    }
}

} // namespace

BatterySnapshot build_demo_snapshot(const std::string& scenario) {
    BatteryReading reading = base_sample();
    apply_scenario(scenario, reading);

    BatterySnapshot snapshot;
    if (scenario != "empty") {
        snapshot.readings.push_back(reading);
    }
    if (scenario == "multiple") {
        reading.id = "sample-2";
        // TRANSLATORS: the name of the second sample battery, shown with --demo=multiple.
        reading.name = _("Secondary battery");
        reading.voltage_v = OptionalNumber::of(15.0);
        reading.power_w = OptionalNumber::of(-7.5);
        snapshot.readings.push_back(reading);
    }
    if (scenario == "error") {
        snapshot.error_message = _("Sample: access to battery data was denied.");
    }
    return snapshot;
}
