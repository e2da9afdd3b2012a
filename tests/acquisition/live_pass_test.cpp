#include "acquisition/supply_cache.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/fixture_tree.h"

namespace {

using std::chrono::nanoseconds;
using std::chrono::seconds;

// A steady clock that only moves when the test moves it.
struct ManualClock {
    std::chrono::steady_clock::time_point now{};
    SteadyClockNow reader() {
        return [this] { return now; };
    }
};

const FixtureAttributes kDischarging = {
    {"type", "Battery"}, {"status", "Discharging"}, {"energy_now", "30000000"}};

const std::string kSupplyUnreadable =
    "Some Linux power supply information could not be read. Retrying automatically.";

TEST(LivePass, ClassifiesSuppliesByExactTypeScopeAndOnline) {
    struct Case {
        const char* type;
        const char* scope;   // nullptr: no scope attribute
        const char* online;  // nullptr: no online attribute
        bool battery;        // gives a reading
        bool adapter;        // puts the other battery on external power
    };
    const std::vector<Case> cases = {
        {"Battery", nullptr, "1", true, false},  {"Battery", "System", "1", true, false},
        {"Battery", "Unknown", "1", true, false}, {"Battery", "Device", "1", false, false},
        {"battery", nullptr, "1", false, false},  {"UPS", nullptr, "1", false, false},
        {"Mains", nullptr, "1", false, true},     {"Mains", "Device", "1", false, false},
        {"USB", nullptr, "1", false, true},       {"USB_DCP", nullptr, "1", false, true},
        {"USB_CDP", nullptr, "1", false, true},   {"USB_ACA", nullptr, "1", false, true},
        {"USB_C", nullptr, "1", false, true},     {"USB_PD", nullptr, "1", false, true},
        {"USB_PD_DRP", nullptr, "1", false, true}, {"BrickID", nullptr, "1", false, true},
        {"Wireless", nullptr, "1", false, true},  {"mains", nullptr, "1", false, false},
        {"Unknown", nullptr, "1", false, false},  {"USB", nullptr, "2", false, true},
        {"USB", nullptr, "0", false, false},      {"USB", nullptr, "3", false, false},
        {"USB", nullptr, "1x", false, false},     {"USB", nullptr, nullptr, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " scope " + (c.scope ? c.scope : "-") + " online " +
                     (c.online ? c.online : "-"));
        FixtureTree tree;
        tree.add_supply("BAT0", kDischarging);
        FixtureAttributes attributes = {{"type", c.type}, {"status", "Charging"}};
        if (c.scope != nullptr) {
            attributes.emplace_back("scope", c.scope);
        }
        if (c.online != nullptr) {
            attributes.emplace_back("online", c.online);
        }
        tree.add_supply("X", attributes);
        TreeCache cache(tree.root);
        const BatterySnapshot snapshot = run_live_pass(cache);
        EXPECT_EQ(snapshot.error_message, "");
        EXPECT_EQ(reading_ids(snapshot), c.battery ? "BAT0 X " : "BAT0 ");
        ASSERT_FALSE(snapshot.readings.empty());
        EXPECT_EQ(snapshot.readings[0].on_external_power, c.adapter);
    }
}

TEST(LivePass, ByteWiseOrderExternalPowerAndAbsentBatteries) {
    FixtureTree tree;
    tree.add_supply("BAT10", {{"type", "Battery"}, {"status", "Charging"}});
    tree.add_supply("BAT1", kDischarging);
    tree.add_supply("BAT2", {{"type", "Battery"}, {"status", "Full"}, {"present", "1"}});
    tree.add_supply("BAT3", {{"type", "Battery"}, {"status", "Full"}, {"present", "0"}});
    tree.add_supply("AC", {{"type", "Mains"}, {"online", "0"}});
    TreeCache cache(tree.root);
    BatterySnapshot snapshot = run_live_pass(cache);
    ASSERT_EQ(reading_ids(snapshot), "BAT1 BAT10 BAT2 ");
    EXPECT_EQ(snapshot.error_message, "");
    EXPECT_FALSE(cache.rescan_requested);
    EXPECT_EQ(cache.supplies.front().name, "AC");
    EXPECT_FALSE(snapshot.readings[0].on_external_power);
    EXPECT_TRUE(snapshot.readings[1].on_external_power);  // its own charging
    EXPECT_FALSE(snapshot.readings[2].on_external_power);

    // An online adapter sorted before the batteries counts for all of them; a later
    // offline one does not undo it.
    write_fixture_file(tree.base / "devices" / "AC" / "uevent",
                       "POWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=1\n");
    tree.add_supply("ZZ-USB", {{"type", "USB"}, {"online", "0"}});
    cache.rescan_requested = true;
    snapshot = run_live_pass(cache);
    ASSERT_EQ(snapshot.readings.size(), 3U);
    for (const BatteryReading& r : snapshot.readings) {
        EXPECT_TRUE(r.on_external_power) << r.id;
    }
}

TEST(LivePass, UnlistableRootReportsTheSystemTextOnEveryPass) {
    FixtureTree tree;
    write_fixture_file(tree.base / "file", "x");
    std::filesystem::create_symlink("loop", tree.base / "loop");
    std::filesystem::create_symlink("nowhere", tree.base / "dangling");
    struct Case {
        const char* root;
        const char* system_text;
    };
    const std::vector<Case> cases = {
        {"missing", "No such file or directory"},
        {"file", "Not a directory"},
        {"file/below", "Not a directory"},
        {"loop", "Too many levels of symbolic links"},
        {"dangling", "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.root);
        ManualClock clock;
        TreeCache cache(tree.base / c.root);
        cache.supplies.push_back(SupplyEntry{tree.base / "old", "old", "old", "", "", true});
        for (int pass = 0; pass < 3; ++pass) {
            clock.now += seconds(2);
            const BatterySnapshot snapshot = run_live_pass(cache, clock.reader());
            EXPECT_TRUE(snapshot.readings.empty());
            EXPECT_EQ(snapshot.error_message,
                      std::string("The Linux battery interface could not be read: ") +
                          c.system_text);
            EXPECT_TRUE(cache.supplies.empty());
            EXPECT_TRUE(cache.rescan_requested);
            EXPECT_EQ(cache.last_scan, std::chrono::steady_clock::time_point{});
        }
    }
}

TEST(LivePass, UnreadableTypeIsLeftOutAndRescanned) {
    FixtureTree tree;
    tree.add_supply("BAT0", kDischarging);
    tree.add_supply("BAT1", {{"status", "Discharging"}});  // no type anywhere
    TreeCache cache(tree.root);
    BatterySnapshot snapshot = run_live_pass(cache);
    EXPECT_EQ(reading_ids(snapshot), "BAT0 ");
    EXPECT_EQ(snapshot.error_message, kSupplyUnreadable);
    EXPECT_TRUE(cache.rescan_requested);

    write_fixture_file(tree.base / "devices" / "BAT1" / "type", "Battery\n");
    snapshot = run_live_pass(cache);
    EXPECT_EQ(reading_ids(snapshot), "BAT0 BAT1 ");
    EXPECT_EQ(snapshot.error_message, "");
    EXPECT_FALSE(cache.rescan_requested);
}

TEST(LivePass, RescanEvery30sOrOnRequestFindsAddedAndRemovedBatteriesAndRereadsIdentity) {
    FixtureTree tree;
    const std::filesystem::path bat0 = tree.add_supply(
        "BAT0", kDischarging,
        {{"model_name", " 5B10W13930 "}, {"manufacturer", "SMP"}, {"technology", "Unknown"}});
    ManualClock clock;
    clock.now += seconds(1000);
    TreeCache cache(tree.root);

    // The scan's time is taken after the scan: the clock is read twice on a scanning pass.
    int reads = 0;
    const SteadyClockNow ticking = [&] { return clock.now + seconds(reads++); };
    BatterySnapshot snapshot = run_live_pass(cache, ticking);
    ASSERT_EQ(reading_ids(snapshot), "BAT0 ");
    EXPECT_EQ(snapshot.readings[0].name + "|" + snapshot.readings[0].manufacturer + "|" +
                  snapshot.readings[0].technology,
              "5B10W13930|SMP|");  // "Unknown" technology means not known
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(cache.last_scan, clock.now + seconds(1));
    clock.now = cache.last_scan;

    tree.add_supply("BAT1", kDischarging, {{"model_name", ""}, {"technology", "Li-poly"}});
    write_fixture_file(bat0 / "model_name", "Replacement\n");
    clock.now += seconds(30) - nanoseconds(1);
    snapshot = run_live_pass(cache, clock.reader());
    EXPECT_EQ(reading_ids(snapshot), "BAT0 ");
    EXPECT_EQ(snapshot.readings[0].name, "5B10W13930");
    clock.now += nanoseconds(1);
    snapshot = run_live_pass(cache, clock.reader());
    ASSERT_EQ(reading_ids(snapshot), "BAT0 BAT1 ");
    EXPECT_EQ(snapshot.readings[0].name, "Replacement");
    EXPECT_EQ(snapshot.readings[1].name + " " + snapshot.readings[1].technology, "BAT1 Li-poly");
    EXPECT_EQ(cache.last_scan, clock.now);

    tree.add_supply("BAT2", kDischarging);
    clock.now += seconds(2);
    EXPECT_EQ(reading_ids(run_live_pass(cache, clock.reader())), "BAT0 BAT1 ");
    cache.rescan_requested = true;  // the window shown again
    EXPECT_EQ(reading_ids(run_live_pass(cache, clock.reader())), "BAT0 BAT1 BAT2 ");
    EXPECT_FALSE(cache.rescan_requested);

    // A vanished battery is gone at once, without a message, and the next pass rescans.
    tree.remove_supply("BAT0");
    clock.now += seconds(2);
    snapshot = run_live_pass(cache, clock.reader());
    EXPECT_EQ(reading_ids(snapshot), "BAT1 BAT2 ");
    EXPECT_EQ(snapshot.error_message, "");
    EXPECT_TRUE(cache.rescan_requested);
    EXPECT_EQ(reading_ids(run_live_pass(cache, clock.reader())), "BAT1 BAT2 ");
    EXPECT_EQ(cache.supplies.size(), 2U);
    EXPECT_FALSE(cache.rescan_requested);
}

} // namespace
