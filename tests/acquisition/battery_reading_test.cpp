#include "acquisition/battery_reading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

// Attributes held in memory: read_battery finds them in the map and never opens a file.
BatteryResult read(AttributeMap map, BatterySnapshot& snapshot) {
    return read_battery(map, "/nonexistent", "BAT0", "Model", "Maker", "Li-ion", snapshot);
}

BatteryResult read(AttributeMap map) {
    BatterySnapshot snapshot;
    return read(std::move(map), snapshot);
}

TEST(ReadBattery, ConvertsMicroUnitsToDisplayUnits) {
    BatterySnapshot snapshot;
    const BatteryResult result = read({{"status", "Discharging"},
                                       {"voltage_now", "12000000"},
                                       {"energy_now", "35328000"},
                                       {"energy_full", "55200000"},
                                       {"energy_full_design", "60000000"},
                                       {"charge_now", "2944000"},
                                       {"charge_full", "4600000"},
                                       {"charge_full_design", "5000000"},
                                       {"power_now", "12480000"},
                                       {"current_now", "1040000"},
                                       {"capacity", "64"},
                                       {"cycle_count", "142"}},
                                      snapshot);
    const BatteryReading& r = result.reading;
    EXPECT_EQ(r.id, "BAT0");
    EXPECT_EQ(r.name, "Model");
    EXPECT_EQ(r.manufacturer, "Maker");
    EXPECT_EQ(r.technology, "Li-ion");
    EXPECT_DOUBLE_EQ(r.voltage_v.value, 12.0);
    EXPECT_DOUBLE_EQ(r.energy_now_wh.value, 35.328);
    EXPECT_DOUBLE_EQ(r.energy_full_wh.value, 55.2);
    EXPECT_DOUBLE_EQ(r.energy_full_design_wh.value, 60.0);
    EXPECT_DOUBLE_EQ(r.charge_now_mah.value, 2944.0);
    EXPECT_DOUBLE_EQ(r.charge_full_mah.value, 4600.0);
    EXPECT_DOUBLE_EQ(r.charge_full_design_mah.value, 5000.0);
    EXPECT_DOUBLE_EQ(r.power_w.value, -12.48);
    EXPECT_DOUBLE_EQ(r.current_ma.value, -1040.0);
    EXPECT_DOUBLE_EQ(r.capacity_percent.value, 64.0);
    EXPECT_TRUE(r.voltage_v.present && r.energy_now_wh.present && r.energy_full_wh.present &&
                r.energy_full_design_wh.present && r.charge_now_mah.present &&
                r.charge_full_mah.present && r.charge_full_design_mah.present &&
                r.power_w.present && r.current_ma.present && r.capacity_percent.present);
    EXPECT_TRUE(r.has_cycle_count);
    EXPECT_EQ(r.cycle_count, 142U);
    EXPECT_TRUE(r.discharging);
    EXPECT_FALSE(r.charging);
    EXPECT_TRUE(r.direction_known);
    EXPECT_FALSE(r.on_external_power);  // the live pass decides this, not the battery
    EXPECT_FALSE(r.relative_only);
    EXPECT_FALSE(r.relative_charge_percent.present);
    EXPECT_FALSE(result.rescan_wanted);
    EXPECT_EQ(snapshot.error_message, "");
}

TEST(ReadBattery, OnlyNowFiguresMayBeZero) {
    const BatteryReading zeros = read({{"status", "Discharging"},
                                       {"voltage_now", "0"},
                                       {"energy_now", "0"},
                                       {"energy_full", "0"},
                                       {"energy_full_design", "0"},
                                       {"charge_now", "0"},
                                       {"charge_full", "0"},
                                       {"charge_full_design", "0"}})
                                     .reading;
    EXPECT_FALSE(zeros.voltage_v.present);
    EXPECT_TRUE(zeros.energy_now_wh.present);
    EXPECT_EQ(zeros.energy_now_wh.value, 0.0);
    EXPECT_FALSE(zeros.energy_full_wh.present);
    EXPECT_FALSE(zeros.energy_full_design_wh.present);
    EXPECT_TRUE(zeros.charge_now_mah.present);
    EXPECT_EQ(zeros.charge_now_mah.value, 0.0);
    EXPECT_FALSE(zeros.charge_full_mah.present);
    EXPECT_FALSE(zeros.charge_full_design_mah.present);

    const BatteryReading negatives = read({{"status", "Discharging"},
                                           {"voltage_now", "-1"},
                                           {"energy_now", "-5"},
                                           {"charge_now", "-5"}})
                                         .reading;
    EXPECT_FALSE(negatives.voltage_v.present);
    EXPECT_FALSE(negatives.energy_now_wh.present);
    EXPECT_FALSE(negatives.charge_now_mah.present);
}

TEST(ReadBattery, RateSignFollowsTheStatus) {
    struct Case {
        const char* status;
        const char* raw_power_uw;
        double power_w;
        bool charging;
        bool discharging;
        bool direction_known;
    };
    const std::vector<Case> cases = {
        {"Discharging", "-15000000", -15.0, false, true, true},
        {"Discharging", "15000000", -15.0, false, true, true},
        {"Charging", "-15000000", 15.0, true, false, true},
        {"Charging", "15000000", 15.0, true, false, true},
        {"Not charging", "-15000000", -15.0, false, false, false},
        {"Not charging", "15000000", 15.0, false, false, false},
        {"Full", "0", 0.0, false, false, false},
        {"Unknown", "2500000", 2.5, false, false, false},
        {"", "-3000000", -3.0, false, false, false},
        {"charging", "15000000", 15.0, false, false, false},  // exact match only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.status) + " " + c.raw_power_uw);
        const BatteryReading r =
            read({{"status", c.status}, {"power_now", c.raw_power_uw},
                  {"current_now", c.raw_power_uw}, {"voltage_now", "12000000"}})
                .reading;
        ASSERT_TRUE(r.power_w.present);
        EXPECT_DOUBLE_EQ(r.power_w.value, c.power_w);
        ASSERT_TRUE(r.current_ma.present);
        EXPECT_DOUBLE_EQ(r.current_ma.value, c.power_w * 1000.0);  // µA -> mA
        EXPECT_EQ(r.charging, c.charging);
        EXPECT_EQ(r.discharging, c.discharging);
        EXPECT_EQ(r.direction_known, c.direction_known);
    }
}

TEST(SignedRate, NonFiniteOrAbsentIsAbsent) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(signed_rate(OptionalNumber::absent(), "Charging").present);
    EXPECT_FALSE(signed_rate(OptionalNumber::of(inf), "Charging").present);
    EXPECT_FALSE(signed_rate(OptionalNumber::of(-inf), "Full").present);
    EXPECT_FALSE(signed_rate(OptionalNumber::of(std::nan("")), "Discharging").present);
    EXPECT_EQ(signed_rate(OptionalNumber::of(-0.0), "Charging").value, 0.0);
}

TEST(ReadBattery, CapacityAndCycleCountBounds) {
    struct Case {
        const char* text;
        bool capacity_present;
        bool cycles_present;
    };
    const std::vector<Case> cases = {
        {"0", true, false},        {"1", true, true},          {"100", true, true},
        {"101", false, true},      {"-1", false, false},       {"50abc", false, false},
        {"0x32", false, false},    {"50.0", false, false},     {"", false, false},
        {"4294967294", false, true}, {"4294967295", false, false},
        {"99999999999", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const BatteryReading r =
            read({{"status", "Full"}, {"capacity", c.text}, {"cycle_count", c.text}}).reading;
        EXPECT_EQ(r.capacity_percent.present, c.capacity_present);
        if (r.capacity_percent.present) {
            EXPECT_EQ(r.capacity_percent.value, std::stod(c.text));
        }
        EXPECT_EQ(r.has_cycle_count, c.cycles_present);
        if (r.has_cycle_count) {
            EXPECT_EQ(r.cycle_count, std::stoul(c.text));
        }
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
        {{{"status", "Unknown"}}, true},
        {{{"voltage_now", "11000000"}}, true},
        {{{"energy_now", "0"}}, true},
        {{{"charge_now", "0"}}, true},
        {{{"capacity", "0"}}, true},
        {{{"voltage_now", "0"}, {"capacity", "101"}}, false},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        BatterySnapshot snapshot;
        snapshot.error_message = "earlier";
        const BatteryResult result = read(cases[i].map, snapshot);
        EXPECT_EQ(result.rescan_wanted, !cases[i].complete);
        EXPECT_EQ(snapshot.error_message,
                  cases[i].complete
                      ? "earlier"
                      : "Some battery readings are unavailable. Retrying automatically.");
        EXPECT_EQ(result.reading.id, "BAT0");  // the reading is returned all the same
    }
}

} // namespace
