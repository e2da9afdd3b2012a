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

std::vector<std::string> ids(const BatterySnapshot& snapshot) {
    std::vector<std::string> result;
    for (const BatteryReading& r : snapshot.readings) {
        result.push_back(r.id);
    }
    return result;
}

const FixtureAttributes kDischarging = {
    {"type", "Battery"}, {"status", "Discharging"}, {"energy_now", "30000000"}};

const std::string kSupplyUnreadable =
    "Some Linux power supply information could not be read. Retrying automatically.";

TEST(LivePass, ReadingsFollowByteWiseNameOrder) {
    FixtureTree tree;
    for (const char* name : {"BAT2", "AC", "BAT10", "BAT1", "BATa", "BAT"}) {
        if (std::string(name) == "AC") {
            tree.add_supply(name, {{"type", "Mains"}, {"online", "0"}});
        } else {
            tree.add_supply(name, kDischarging);
        }
    }
    SupplyCache cache;
    cache.root = tree.root;
    const BatterySnapshot snapshot = run_live_pass(cache);
    EXPECT_EQ(ids(snapshot), (std::vector<std::string>{"BAT", "BAT1", "BAT10", "BAT2", "BATa"}));
    EXPECT_EQ(snapshot.error_message, "");
    std::vector<std::string> names;
    for (const SupplyEntry& e : cache.supplies) {
        names.push_back(e.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"AC", "BAT", "BAT1", "BAT10", "BAT2", "BATa"}));
}

TEST(LivePass, ClassifiesSuppliesByExactType) {
    struct Case {
        const char* type;
        const char* scope;  // nullptr: no scope attribute
        bool battery;       // gives a reading
        bool adapter;       // online=1 puts the battery on external power
    };
    const std::vector<Case> cases = {
        {"Battery", nullptr, true, false},   {"Battery", "System", true, false},
        {"Battery", "Unknown", true, false}, {"Battery", "Device", false, false},
        {"battery", nullptr, false, false},  {"UPS", nullptr, false, false},
        {"Mains", nullptr, false, true},     {"Mains", "Device", false, false},
        {"USB", nullptr, false, true},       {"USB_DCP", nullptr, false, true},
        {"USB_CDP", nullptr, false, true},   {"USB_ACA", nullptr, false, true},
        {"USB_C", nullptr, false, true},     {"USB_PD", nullptr, false, true},
        {"USB_PD_DRP", nullptr, false, true}, {"BrickID", nullptr, false, true},
        {"Wireless", nullptr, false, true},  {"mains", nullptr, false, false},
        {"Unknown", nullptr, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " scope " + (c.scope ? c.scope : "(none)"));
        FixtureTree tree;
        tree.add_supply("BAT0", kDischarging);
        FixtureAttributes attributes = {{"type", c.type}, {"online", "1"}, {"status", "Charging"},
                                        {"capacity", "50"}};
        if (c.scope != nullptr) {
            attributes.emplace_back("scope", c.scope);
        }
        tree.add_supply("X", attributes);
        SupplyCache cache;
        cache.root = tree.root;
        const BatterySnapshot snapshot = run_live_pass(cache);
        EXPECT_EQ(snapshot.error_message, "");
        EXPECT_EQ(ids(snapshot), c.battery ? (std::vector<std::string>{"BAT0", "X"})
                                           : std::vector<std::string>{"BAT0"});
        ASSERT_FALSE(snapshot.readings.empty());
        EXPECT_EQ(snapshot.readings[0].on_external_power, c.adapter);
    }
}

TEST(LivePass, AdapterOnlineAtOneOrTwo) {
    struct Case {
        const char* online;  // nullptr: no online attribute at all
        bool external;
    };
    const std::vector<Case> cases = {{"1", true},    {"2", true},  {"0", false},
                                     {"3", false},   {"-1", false}, {"1x", false},
                                     {"", false},    {nullptr, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.online ? c.online : "(missing)");
        FixtureTree tree;
        tree.add_supply("BAT0", kDischarging);
        FixtureAttributes attributes = {{"type", "USB"}};
        if (c.online != nullptr) {
            attributes.emplace_back("online", c.online);
        }
        tree.add_supply("ucsi-source-psy-USBC000:001", attributes);
        SupplyCache cache;
        cache.root = tree.root;
        const BatterySnapshot snapshot = run_live_pass(cache);
        ASSERT_EQ(snapshot.readings.size(), 1U);
        EXPECT_EQ(snapshot.readings[0].on_external_power, c.external);
    }
}

TEST(LivePass, ExternalPowerIsAnOnlineAdapterOrOwnCharging) {
    FixtureTree tree;
    tree.add_supply("BAT0", {{"type", "Battery"}, {"status", "Charging"}, {"capacity", "50"}});
    tree.add_supply("BAT1", kDischarging);
    tree.add_supply("BAT2", {{"type", "Battery"}, {"status", "Full"}, {"capacity", "100"}});
    tree.add_supply("AC", {{"type", "Mains"}, {"online", "0"}});
    SupplyCache cache;
    cache.root = tree.root;
    BatterySnapshot snapshot = run_live_pass(cache);
    ASSERT_EQ(snapshot.readings.size(), 3U);
    EXPECT_TRUE(snapshot.readings[0].on_external_power);
    EXPECT_FALSE(snapshot.readings[1].on_external_power);
    EXPECT_FALSE(snapshot.readings[2].on_external_power);

    // An adapter listed before or after the batteries counts for every one of them; a
    // second adapter that is offline does not undo an online one.
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

TEST(LivePass, AbsentBatteryIsSkippedSilently) {
    FixtureTree tree;
    tree.add_supply("BAT0", {{"type", "Battery"}, {"present", "0"}});
    tree.add_supply("BAT1", {{"type", "Battery"}, {"status", "Full"}});  // no present
    tree.add_supply("BAT2", {{"type", "Battery"}, {"present", "1"}, {"status", "Full"}});
    tree.add_supply("BAT3", {{"type", "Battery"}, {"present", "no"}, {"status", "Full"}});
    SupplyCache cache;
    cache.root = tree.root;
    const BatterySnapshot snapshot = run_live_pass(cache);
    EXPECT_EQ(ids(snapshot), (std::vector<std::string>{"BAT1", "BAT2", "BAT3"}));
    EXPECT_EQ(snapshot.error_message, "");
    EXPECT_FALSE(cache.rescan_requested);
}

TEST(LivePass, NoBatteriesIsNoError) {
    FixtureTree tree;
    tree.add_supply("AC", {{"type", "Mains"}, {"online", "1"}});
    SupplyCache cache;
    cache.root = tree.root;
    const BatterySnapshot snapshot = run_live_pass(cache);
    EXPECT_TRUE(snapshot.readings.empty());
    EXPECT_EQ(snapshot.error_message, "");
}

TEST(LivePass, UnlistableRootReportsTheSystemTextOnEveryPass) {
    FixtureTree tree;
    write_fixture_file(tree.base / "a_file", "x");
    struct Case {
        std::filesystem::path root;
        const char* system_text;
    };
    const std::vector<Case> cases = {
        {tree.base / "missing", "No such file or directory"},
        {tree.base / "a_file", "Not a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.root);
        ManualClock clock;
        SupplyCache cache;
        cache.root = c.root;
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
    SupplyCache cache;
    cache.root = tree.root;
    BatterySnapshot snapshot = run_live_pass(cache);
    EXPECT_EQ(ids(snapshot), std::vector<std::string>{"BAT0"});
    EXPECT_EQ(snapshot.error_message, kSupplyUnreadable);
    EXPECT_TRUE(cache.rescan_requested);

    // Once the type can be read the next pass finds the battery and the message is gone.
    write_fixture_file(tree.base / "devices" / "BAT1" / "type", "Battery\n");
    snapshot = run_live_pass(cache);
    EXPECT_EQ(ids(snapshot), (std::vector<std::string>{"BAT0", "BAT1"}));
    EXPECT_EQ(snapshot.error_message, "");
    EXPECT_FALSE(cache.rescan_requested);
}

TEST(LivePass, EntryWhoseStatusFailsSetsMessageWithoutRescan) {
    FixtureTree tree;
    tree.add_supply("BAT0", kDischarging);
    std::filesystem::create_symlink(tree.base / "nowhere", tree.root / "BAT1");
    SupplyCache cache;
    cache.root = tree.root;
    const BatterySnapshot snapshot = run_live_pass(cache);
    EXPECT_EQ(ids(snapshot), std::vector<std::string>{"BAT0"});
    EXPECT_EQ(snapshot.error_message, kSupplyUnreadable);
    EXPECT_FALSE(cache.rescan_requested);
}

TEST(LivePass, IdentityIsReadOncePerScan) {
    FixtureTree tree;
    const std::filesystem::path device =
        tree.add_supply("BAT0", kDischarging,
                        {{"model_name", " 5B10W13930 "}, {"manufacturer", "SMP"},
                         {"technology", "Unknown"}});
    tree.add_supply("BAT1", kDischarging, {{"model_name", ""}, {"technology", "Li-poly"}});
    ManualClock clock;
    SupplyCache cache;
    cache.root = tree.root;
    BatterySnapshot snapshot = run_live_pass(cache, clock.reader());
    ASSERT_EQ(snapshot.readings.size(), 2U);
    EXPECT_EQ(snapshot.readings[0].name, "5B10W13930");
    EXPECT_EQ(snapshot.readings[0].manufacturer, "SMP");
    EXPECT_EQ(snapshot.readings[0].technology, "");  // "Unknown" means not known
    EXPECT_EQ(snapshot.readings[1].name, "BAT1");     // empty model name: the directory name
    EXPECT_EQ(snapshot.readings[1].manufacturer, "");
    EXPECT_EQ(snapshot.readings[1].technology, "Li-poly");

    write_fixture_file(device / "model_name", "Replacement\n");
    clock.now += seconds(10);
    snapshot = run_live_pass(cache, clock.reader());
    EXPECT_EQ(snapshot.readings[0].name, "5B10W13930");

    cache.rescan_requested = true;
    snapshot = run_live_pass(cache, clock.reader());
    EXPECT_EQ(snapshot.readings[0].name, "Replacement");
}

TEST(LivePass, RescansEveryThirtySecondsOnTheSteadyClock) {
    FixtureTree tree;
    tree.add_supply("BAT0", kDischarging);
    ManualClock clock;
    clock.now += seconds(1000);
    SupplyCache cache;
    cache.root = tree.root;

    // The scan's time is taken after the scan: the clock is read twice on a scanning pass.
    int reads = 0;
    const SteadyClockNow ticking = [&] { return clock.now + seconds(reads++); };
    EXPECT_EQ(ids(run_live_pass(cache, ticking)), std::vector<std::string>{"BAT0"});
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(cache.last_scan, clock.now + seconds(1));
    clock.now = cache.last_scan;

    tree.add_supply("BAT1", kDischarging);
    clock.now += seconds(30) - nanoseconds(1);
    EXPECT_EQ(ids(run_live_pass(cache, clock.reader())), std::vector<std::string>{"BAT0"});
    clock.now += nanoseconds(1);
    EXPECT_EQ(ids(run_live_pass(cache, clock.reader())),
              (std::vector<std::string>{"BAT0", "BAT1"}));
    EXPECT_EQ(cache.last_scan, clock.now);

    // A request made between passes (the window shown again) rescans at once.
    tree.add_supply("BAT2", kDischarging);
    clock.now += seconds(2);
    EXPECT_EQ(run_live_pass(cache, clock.reader()).readings.size(), 2U);
    cache.rescan_requested = true;
    EXPECT_EQ(run_live_pass(cache, clock.reader()).readings.size(), 3U);
    EXPECT_FALSE(cache.rescan_requested);
}

TEST(LivePass, RemovedBatteryIsGoneFromTheNextPass) {
    FixtureTree tree;
    tree.add_supply("BAT0", kDischarging);
    tree.add_supply("BAT1", kDischarging);
    ManualClock clock;
    SupplyCache cache;
    cache.root = tree.root;
    EXPECT_EQ(run_live_pass(cache, clock.reader()).readings.size(), 2U);

    tree.remove_supply("BAT0");
    clock.now += seconds(2);
    BatterySnapshot snapshot = run_live_pass(cache, clock.reader());
    EXPECT_EQ(ids(snapshot), std::vector<std::string>{"BAT1"});
    EXPECT_EQ(snapshot.error_message, "");
    EXPECT_TRUE(cache.rescan_requested);

    clock.now += seconds(2);
    snapshot = run_live_pass(cache, clock.reader());
    EXPECT_EQ(ids(snapshot), std::vector<std::string>{"BAT1"});
    ASSERT_EQ(cache.supplies.size(), 1U);
    EXPECT_FALSE(cache.rescan_requested);
}

TEST(LivePass, BatteryWithoutUsableReadingAsksForRescan) {
    FixtureTree tree;
    tree.add_supply("BAT0", {{"type", "Battery"}, {"present", "1"}});
    SupplyCache cache;
    cache.root = tree.root;
    const BatterySnapshot snapshot = run_live_pass(cache);
    EXPECT_EQ(ids(snapshot), std::vector<std::string>{"BAT0"});
    EXPECT_EQ(snapshot.error_message,
              "Some battery readings are unavailable. Retrying automatically.");
    EXPECT_TRUE(cache.rescan_requested);
}

} // namespace
