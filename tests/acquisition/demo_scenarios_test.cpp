#include "acquisition/demo_scenarios.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The expected reading, written out so that a change to the base sample or to one scenario
// shows up here.
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
    EXPECT_EQ(r.id + "|" + r.name + "|" + r.manufacturer + "|" + r.technology,
              e.id + "|" + e.name + "|Sample manufacturer|Lithium ion");
    EXPECT_EQ(r.has_cycle_count ? r.cycle_count : 0U, 142U);
    EXPECT_EQ(r.power_w.present, e.power_present);
    EXPECT_DOUBLE_EQ(r.power_w.present ? r.power_w.value : 0, e.power_present ? e.power_w : 0);
    EXPECT_EQ(r.voltage_v.present, e.voltage_present);
    EXPECT_DOUBLE_EQ(r.voltage_v.present ? r.voltage_v.value : 0,
                     e.voltage_present ? e.voltage_v : 0);
    EXPECT_EQ(r.energy_now_wh.present && r.energy_full_wh.present &&
                  r.energy_full_design_wh.present,
              e.energy_present);
    if (e.energy_present) {
        EXPECT_DOUBLE_EQ(r.energy_now_wh.value, 35.328);
        EXPECT_DOUBLE_EQ(r.energy_full_wh.value, 55.2);
        EXPECT_DOUBLE_EQ(r.energy_full_design_wh.value, 60.0);
    }
    EXPECT_EQ(r.relative_only, e.relative_only);
    EXPECT_DOUBLE_EQ(r.relative_charge_percent.present ? r.relative_charge_percent.value : 0,
                     e.relative_only ? 64.0 : 0);
    EXPECT_DOUBLE_EQ(r.relative_health_percent.present ? r.relative_health_percent.value : 0,
                     e.relative_only ? 92.0 : 0);
    EXPECT_EQ(r.charging, e.charging);
    EXPECT_EQ(r.discharging, e.discharging);
    EXPECT_EQ(r.on_external_power, e.on_external_power);
    EXPECT_TRUE(r.direction_known);
    EXPECT_FALSE(r.charge_now_mah.present || r.current_ma.present || r.capacity_percent.present);
}

TEST(DemoScenarios, EachScenarioMatchesItsTable) {
    const Expected base;
    const Expected charging{
        .power_w = 24.0, .charging = true, .discharging = false, .on_external_power = true};
    const Expected zero_charging{
        .power_w = 0.0, .charging = true, .discharging = false, .on_external_power = true};
    const Expected idle{.power_w = 0.0, .discharging = false, .on_external_power = true};
    const Expected relative{.power_present = false, .energy_present = false,
                            .relative_only = true};
    const Expected secondary{
        .id = "sample-2", .name = "Secondary battery", .power_w = -7.5, .voltage_v = 15.0};
    struct Case {
        const char* scenario;
        std::vector<Expected> readings;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"charging", {charging}, ""},
        {"zero-charging", {zero_charging}, ""},
        {"idle", {idle}, ""},
        {"unknown", {Expected{.power_present = false}}, ""},
        {"no-voltage", {Expected{.voltage_present = false}}, ""},
        {"relative", {relative}, ""},
        {"empty", {}, ""},
        {"multiple", {base, secondary}, ""},
        {"error", {base}, "Sample: access to battery data was denied."},
        {"", {base}, ""},
        {"Charging", {base}, ""},
        {"charging ", {base}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("scenario \"") + c.scenario + "\"");
        const BatterySnapshot snapshot = build_demo_snapshot(c.scenario);
        ASSERT_EQ(snapshot.readings.size(), c.readings.size());
        for (std::size_t i = 0; i < c.readings.size(); ++i) {
            expect_reading(snapshot.readings[i], c.readings[i]);
        }
        EXPECT_EQ(snapshot.error_message, c.message);
    }
}

} // namespace
