// Trees modelled on the power-supply directories of real machines.
#include "acquisition/supply_cache.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fixture_tree.h"

namespace {

BatterySnapshot read_tree(const FixtureTree& tree) {
    TreeCache cache(tree.root);
    return run_live_pass(cache);
}

TEST(MachineTrees, EnergyReportingLaptop) {
    FixtureTree tree;
    tree.add_supply("AC", {{"name", "AC"}, {"type", "Mains"}, {"online", "0"}});
    tree.add_supply("BAT0", {{"name", "BAT0"}, {"type", "Battery"}, {"status", "Discharging"},
                             {"present", "1"}, {"technology", "Li-poly"}, {"cycle_count", "321"},
                             {"voltage_min_design", "11580000"}, {"voltage_now", "12316000"},
                             {"power_now", "8741000"}, {"energy_full_design", "57020000"},
                             {"energy_full", "50110000"}, {"energy_now", "31240000"},
                             {"capacity", "62"}, {"capacity_level", "Normal"},
                             {"model_name", "5B10W13930"}, {"manufacturer", "SMP"},
                             {"serial_number", " 1234"}});
    const BatterySnapshot snapshot = read_tree(tree);
    EXPECT_EQ(snapshot.error_message, "");
    ASSERT_EQ(snapshot.readings.size(), 1U);
    const BatteryReading& r = snapshot.readings[0];
    EXPECT_EQ(r.name + " " + r.technology, "5B10W13930 Li-poly");
    EXPECT_DOUBLE_EQ(r.power_w.value, -8.741);
    EXPECT_DOUBLE_EQ(r.energy_now_wh.value, 31.24);
    EXPECT_EQ(r.cycle_count, 321U);
    EXPECT_FALSE(r.charge_now_mah.present || r.current_ma.present || r.on_external_power);
}

TEST(MachineTrees, ChargeReportingLaptop) {
    FixtureTree tree;
    tree.add_supply("ADP1", {{"name", "ADP1"}, {"type", "Mains"}, {"online", "1"}});
    tree.add_supply("BAT1", {{"name", "BAT1"}, {"type", "Battery"}, {"status", "Charging"},
                             {"present", "1"}, {"technology", "Li-ion"}, {"cycle_count", "0"},
                             {"voltage_min_design", "7600000"}, {"voltage_now", "8412000"},
                             {"current_now", "1530000"}, {"charge_full_design", "6500000"},
                             {"charge_full", "5822000"}, {"charge_now", "3011000"},
                             {"capacity", "51"}, {"model_name", "DELL 7FHHV23"},
                             {"manufacturer", "SWD-ATL3.618"}});
    const BatterySnapshot snapshot = read_tree(tree);
    EXPECT_EQ(snapshot.error_message, "");
    ASSERT_EQ(snapshot.readings.size(), 1U);
    const BatteryReading& r = snapshot.readings[0];
    EXPECT_DOUBLE_EQ(r.current_ma.value, 1530.0);
    EXPECT_DOUBLE_EQ(r.charge_now_mah.value, 3011.0);
    EXPECT_FALSE(r.power_w.present || r.energy_now_wh.present);
    EXPECT_FALSE(r.has_cycle_count);  // 0: the firmware does not count
    EXPECT_TRUE(r.charging && r.on_external_power);
}

TEST(MachineTrees, DualBatteryLaptop) {
    FixtureTree tree;
    tree.add_supply("AC", {{"type", "Mains"}, {"online", "1"}});
    tree.add_supply("BAT1", {{"type", "Battery"}, {"status", "Discharging"}, {"present", "1"},
                             {"power_now", "4100000"}, {"energy_now", "20000000"},
                             {"energy_full", "23000000"}, {"model_name", "01AV421"}});
    tree.add_supply("BAT0", {{"type", "Battery"}, {"status", "Unknown"}, {"present", "1"},
                             {"power_now", "0"}, {"energy_now", "18000000"},
                             {"energy_full", "22000000"}, {"model_name", "01AV489"}});
    const BatterySnapshot snapshot = read_tree(tree);
    EXPECT_EQ(snapshot.error_message, "");
    ASSERT_EQ(reading_ids(snapshot), "BAT0 BAT1 ");
    EXPECT_EQ(snapshot.readings[0].name, "01AV489");
    EXPECT_FALSE(snapshot.readings[0].direction_known);
    EXPECT_DOUBLE_EQ(snapshot.readings[0].power_w.value, 0.0);
    EXPECT_DOUBLE_EQ(snapshot.readings[1].power_w.value, -4.1);
    EXPECT_TRUE(snapshot.readings[0].on_external_power && snapshot.readings[1].on_external_power);
}

TEST(MachineTrees, UsbCAdapterOnlineAtTwoBesideOfflineMains) {
    FixtureTree tree;
    tree.add_supply("ADP0", {{"type", "Mains"}, {"online", "0"}});
    tree.add_supply("BAT0", {{"type", "Battery"}, {"status", "Not charging"}, {"present", "1"},
                             {"energy_now", "40000000"}, {"capacity", "80"}});
    tree.add_supply("ucsi-source-psy-USBC000:001",
                    {{"name", "ucsi-source-psy-USBC000:001"}, {"type", "USB"}, {"online", "2"},
                     {"usb_type", "C [PD] PD_PPS"}, {"voltage_min", "5000000"},
                     {"voltage_max", "20000000"}, {"current_max", "3250000"}});
    tree.add_supply("ucsi-source-psy-USBC000:002",
                    {{"type", "USB"}, {"online", "0"}, {"usb_type", "[C] PD PD_PPS"}});
    const BatterySnapshot snapshot = read_tree(tree);
    ASSERT_EQ(snapshot.readings.size(), 1U);
    EXPECT_TRUE(snapshot.readings[0].on_external_power);
    EXPECT_FALSE(snapshot.readings[0].direction_known);
}

TEST(MachineTrees, BluetoothMouseAndUpsAreLeftOut) {
    FixtureTree tree;
    tree.add_supply("AC", {{"type", "Mains"}, {"online", "1"}});
    tree.add_supply("hid-e8:4f:25:0a:1b:2c-battery",
                    {{"type", "Battery"}, {"scope", "Device"}, {"present", "1"},
                     {"status", "Discharging"}, {"capacity", "30"},
                     {"model_name", "MX Anywhere 3"}});
    tree.add_supply("ups-usbhid-0", {{"type", "UPS"}, {"status", "Discharging"},
                                     {"capacity", "98"}, {"model_name", "Back-UPS ES 700"}});
    const BatterySnapshot snapshot = read_tree(tree);
    EXPECT_TRUE(snapshot.readings.empty());
    EXPECT_EQ(snapshot.error_message, "");
}

} // namespace
