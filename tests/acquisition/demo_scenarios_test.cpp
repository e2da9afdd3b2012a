#include "acquisition/demo_scenarios.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The expected reading, written out field by field so that a change to the base sample or
// to one scenario shows up here.
struct Expected {
    std::string id = "sample-1";
    std::string name = "Internal battery";
    bool power_present = true;
    double power_w = -12.48;
    bool voltage_present = true;
    double voltage_v = 12.0;
    bool energy_present = true;  // now, full and design together
    bool charging = false;
    bool discharging = true;
    bool on_external_power = false;
    bool relative_only = false;
};

void expect_reading(const BatteryReading& r, const Expected& e) {
    SCOPED_TRACE(e.id);
    EXPECT_EQ(r.id, e.id);
    EXPECT_EQ(r.name, e.name);
    EXPECT_EQ(r.manufacturer, "Sample manufacturer");
    EXPECT_EQ(r.technology, "Lithium ion");
    EXPECT_TRUE(r.has_cycle_count);
    EXPECT_EQ(r.cycle_count, 142U);
    EXPECT_EQ(r.power_w.present, e.power_present);
    if (e.power_present) {
        EXPECT_DOUBLE_EQ(r.power_w.value, e.power_w);
    }
    EXPECT_EQ(r.voltage_v.present, e.voltage_present);
    if (e.voltage_present) {
        EXPECT_DOUBLE_EQ(r.voltage_v.value, e.voltage_v);
    }
    EXPECT_EQ(r.energy_now_wh.present, e.energy_present);
    EXPECT_EQ(r.energy_full_wh.present, e.energy_present);
    EXPECT_EQ(r.energy_full_design_wh.present, e.energy_present);
    if (e.energy_present) {
        EXPECT_DOUBLE_EQ(r.energy_now_wh.value, 35.328);
        EXPECT_DOUBLE_EQ(r.energy_full_wh.value, 55.2);
        EXPECT_DOUBLE_EQ(r.energy_full_design_wh.value, 60.0);
    }
    EXPECT_EQ(r.relative_only, e.relative_only);
    EXPECT_EQ(r.relative_charge_percent.present, e.relative_only);
    EXPECT_EQ(r.relative_health_percent.present, e.relative_only);
    if (e.relative_only) {
        EXPECT_DOUBLE_EQ(r.relative_charge_percent.value, 64.0);
        EXPECT_DOUBLE_EQ(r.relative_health_percent.value, 92.0);
    }
    EXPECT_EQ(r.charging, e.charging);
    EXPECT_EQ(r.discharging, e.discharging);
    EXPECT_EQ(r.on_external_power, e.on_external_power);
    EXPECT_TRUE(r.direction_known);
    EXPECT_FALSE(r.charge_now_mah.present || r.charge_full_mah.present ||
                 r.charge_full_design_mah.present || r.current_ma.present ||
                 r.capacity_percent.present);
}

TEST(DemoScenarios, EachScenarioMatchesItsTable) {
    const Expected base;
    Expected charging;
    charging.power_w = 24.0;
    charging.charging = true;
    charging.discharging = false;
    charging.on_external_power = true;
    Expected zero_charging = charging;
    zero_charging.power_w = 0.0;
    Expected idle = base;
    idle.power_w = 0.0;
    idle.discharging = false;
    idle.on_external_power = true;
    Expected unknown = base;
    unknown.power_present = false;
    Expected no_voltage = base;
    no_voltage.voltage_present = false;
    Expected relative = base;
    relative.relative_only = true;
    relative.power_present = false;
    relative.energy_present = false;
    Expected secondary = base;
    secondary.id = "sample-2";
    secondary.name = "Secondary battery";
    secondary.voltage_v = 15.0;
    secondary.power_w = -7.5;

    struct Case {
        const char* scenario;
        std::vector<Expected> readings;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"charging", {charging}, ""},
        {"zero-charging", {zero_charging}, ""},
        {"idle", {idle}, ""},
        {"unknown", {unknown}, ""},
        {"no-voltage", {no_voltage}, ""},
        {"relative", {relative}, ""},
        {"empty", {}, ""},
        {"multiple", {base, secondary}, ""},
        {"error", {base}, "Sample: access to battery data was denied."},
        {"", {base}, ""},
        {"sample-1", {base}, ""},
        {"Charging", {base}, ""},
        {"charging ", {base}, ""},
        {"EMPTY", {base}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("scenario \"") + c.scenario + "\"");
        for (int pass = 0; pass < 2; ++pass) {  // deterministic from pass to pass
            const BatterySnapshot snapshot = build_demo_snapshot(c.scenario);
            ASSERT_EQ(snapshot.readings.size(), c.readings.size());
            for (std::size_t i = 0; i < c.readings.size(); ++i) {
                expect_reading(snapshot.readings[i], c.readings[i]);
            }
            EXPECT_EQ(snapshot.error_message, c.message);
        }
    }
}

} // namespace
