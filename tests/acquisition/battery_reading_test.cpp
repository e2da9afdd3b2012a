#include "acquisition/battery_reading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

const char* const kIncomplete = "Some battery readings are unavailable. Retrying automatically.";

// Attributes held in memory: read_battery finds them in the map and never opens a file.
BatteryResult read(AttributeMap map, BatterySnapshot& snapshot) {
    return read_battery(map, "/nonexistent", "BAT0", "Model", "Maker", "Li-ion", snapshot);
}

BatteryReading read(AttributeMap map) {
    BatterySnapshot snapshot;
    return read(std::move(map), snapshot).reading;
}

TEST(ReadBattery, ConvertsMicroUnitsAndKeepsOnlyNowFiguresAtZero) {
    struct Case {
        const char* attribute;
        OptionalNumber BatteryReading::*field;
        double at_million;  // display value for a raw 1000000
        bool zero_kept;
    };
    const std::vector<Case> cases = {
        {"voltage_now", &BatteryReading::voltage_v, 1.0, false},
        {"energy_now", &BatteryReading::energy_now_wh, 1.0, true},
        {"energy_full", &BatteryReading::energy_full_wh, 1.0, false},
        {"energy_full_design", &BatteryReading::energy_full_design_wh, 1.0, false},
        {"charge_now", &BatteryReading::charge_now_mah, 1000.0, true},
        {"charge_full", &BatteryReading::charge_full_mah, 1000.0, false},
        {"charge_full_design", &BatteryReading::charge_full_design_mah, 1000.0, false},
        {"power_now", &BatteryReading::power_w, 1.0, true},
        {"current_now", &BatteryReading::current_ma, 1000.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attribute);
        const BatteryReading r = read({{"status", "Charging"}, {c.attribute, "1000000"}});
        EXPECT_DOUBLE_EQ((r.*c.field).value, c.at_million);
        EXPECT_EQ((read({{"status", "Charging"}, {c.attribute, "0"}}).*c.field).present,
                  c.zero_kept);
        const bool rate =
            c.field == &BatteryReading::power_w || c.field == &BatteryReading::current_ma;
        EXPECT_EQ((read({{"status", "Charging"}, {c.attribute, "-5"}}).*c.field).present, rate);
    }
}

TEST(ReadBattery, RateSignFollowsTheStatus) {
    struct Case {
        const char* status;
        const char* raw;
        double power_w;
        bool charging;
        bool discharging;
    };
    const std::vector<Case> cases = {
        {"Discharging", "-15000000", -15.0, false, true},
        {"Discharging", "15000000", -15.0, false, true},
        {"Charging", "-15000000", 15.0, true, false},
        {"Charging", "15000000", 15.0, true, false},
        {"Not charging", "-15000000", -15.0, false, false},
        {"Unknown", "2500000", 2.5, false, false},
        {"charging", "15000000", 15.0, false, false},  // exact match only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.status) + " " + c.raw);
        const BatteryReading r =
            read({{"status", c.status}, {"power_now", c.raw}, {"current_now", c.raw}});
        EXPECT_DOUBLE_EQ(r.power_w.value, c.power_w);
        EXPECT_DOUBLE_EQ(r.current_ma.value, c.power_w * 1000.0);
        EXPECT_EQ(r.charging, c.charging);
        EXPECT_EQ(r.discharging, c.discharging);
        EXPECT_EQ(r.direction_known, c.charging || c.discharging);
    }
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(signed_rate(OptionalNumber::of(inf), "Charging").present);
    EXPECT_FALSE(signed_rate(OptionalNumber::of(std::nan("")), "Discharging").present);
    EXPECT_FALSE(std::signbit(signed_rate(OptionalNumber::of(-0.0), "Charging").value));
}

TEST(ReadBattery, CapacityAndCycleCountBounds) {
    struct Case {
        const char* text;
        bool capacity_present;
        bool cycles_present;
    };
    const std::vector<Case> cases = {
        {"0", true, false},          {"100", true, true},           {"101", false, true},
        {"-1", false, false},        {"50abc", false, false},       {"4294967294", false, true},
        {"4294967295", false, false}, {"99999999999", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const BatteryReading r =
            read({{"status", "Full"}, {"capacity", c.text}, {"cycle_count", c.text}});
        EXPECT_EQ(r.capacity_percent.present, c.capacity_present);
        EXPECT_EQ(r.capacity_percent.present ? r.capacity_percent.value : 0,
                  c.capacity_present ? std::stod(c.text) : 0);
        EXPECT_EQ(r.has_cycle_count, c.cycles_present);
        EXPECT_EQ(r.has_cycle_count ? r.cycle_count : 0,
                  c.cycles_present ? std::stoul(c.text) : 0);
    }
}

TEST(ReadBattery, CompletenessNeedsStatusVoltageEnergyChargeOrCapacity) {
    struct Case {
        AttributeMap map;
        bool complete;
    };
    const std::vector<Case> cases = {
        {{{"present", "1"}, {"type", "Battery"}}, false},
        {{{"status", ""}, {"power_now", "5000000"}, {"energy_full", "50000000"}}, false},
        {{{"voltage_now", "0"}, {"capacity", "101"}}, false},
        {{{"status", "Unknown"}}, true},
        {{{"voltage_now", "11000000"}}, true},
        {{{"energy_now", "0"}}, true},
        {{{"charge_now", "0"}}, true},
        {{{"capacity", "0"}}, true},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        BatterySnapshot snapshot;
        snapshot.error_message = "earlier";
        const BatteryResult result = read(cases[i].map, snapshot);
        EXPECT_EQ(result.rescan_wanted, !cases[i].complete);
        EXPECT_EQ(snapshot.error_message, cases[i].complete ? "earlier" : kIncomplete);
        EXPECT_EQ(result.reading.id, "BAT0");  // the reading is returned all the same
    }
}

} // namespace
