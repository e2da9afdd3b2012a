// SPDX-License-Identifier: GPL-3.0-or-later
// Catches a supply cache that goes stale or rescans too often, a battery that is lost or
// kept after it changed, ids that collide after cleaning, and a pass that opens more files
// than each supply's uevent: what a single pass over a case folder cannot show.
#include "acquisition/supply_cache.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>

#include <sys/inotify.h>
#include <unistd.h>

#include "support/fixture_tree.h"

namespace {

using std::chrono::nanoseconds;
using std::chrono::seconds;

const FixtureAttributes kDischarging = {
    {"type", "Battery"}, {"status", "Discharging"}, {"energy_now", "30000000"}};

// A steady clock that only moves when the test moves it.
struct ManualClock {
    std::chrono::steady_clock::time_point now{};
    SteadyClockNow reader() {
        return [this] { return now; };
    }
};

TEST(LivePass, RescansEvery30sOrOnRequestAndRereadsIdentityOnlyThen) {
    FixtureTree tree;
    const std::filesystem::path bat0 =
        tree.add_supply("BAT0", kDischarging, {{"model_name", " 5B10W13930 "}});
    ManualClock clock;
    clock.now += seconds(1000);
    TreeCache cache(tree.root);

    // The scan's time is taken after the scan: the clock is read twice on a scanning pass.
    int reads = 0;
    const SteadyClockNow ticking = [&] { return clock.now + seconds(reads++); };
    EXPECT_EQ(run_live_pass(cache, ticking).readings.at(0).name, "5B10W13930");
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(cache.last_scan, clock.now + seconds(1));
    clock.now = cache.last_scan;

    tree.add_supply("BAT1", kDischarging);
    write_fixture_file(bat0 / "model_name", "Replacement\n");
    clock.now += seconds(30) - nanoseconds(1);
    BatterySnapshot snapshot = run_live_pass(cache, clock.reader());
    EXPECT_EQ(reading_ids(snapshot) + snapshot.readings[0].name, "BAT0 5B10W13930");
    clock.now += nanoseconds(1);
    snapshot = run_live_pass(cache, clock.reader());
    EXPECT_EQ(reading_ids(snapshot) + snapshot.readings[0].name, "BAT0 BAT1 Replacement");
    EXPECT_EQ(cache.last_scan, clock.now);

    tree.add_supply("BAT2", kDischarging);
    clock.now += seconds(2);
    EXPECT_EQ(reading_ids(run_live_pass(cache, clock.reader())), "BAT0 BAT1 ");
    cache.rescan_requested = true;  // the window shown again
    EXPECT_EQ(reading_ids(run_live_pass(cache, clock.reader())), "BAT0 BAT1 BAT2 ");
    EXPECT_FALSE(cache.rescan_requested);

    // A vanished battery, or one replaced by a plain file, is gone at once without a
    // message, and the next pass rescans.
    tree.remove_supply("BAT0");
    tree.remove_supply("BAT2");
    write_fixture_file(tree.root / "BAT2", "POWER_SUPPLY_TYPE=Battery\n");
    clock.now += seconds(2);
    snapshot = run_live_pass(cache, clock.reader());
    EXPECT_EQ(reading_ids(snapshot) + snapshot.error_message, "BAT1 ");
    EXPECT_TRUE(cache.rescan_requested);
    EXPECT_EQ(reading_ids(run_live_pass(cache, clock.reader())), "BAT1 ");
    EXPECT_EQ(cache.supplies.size(), 1U);
    EXPECT_FALSE(cache.rescan_requested);
}

TEST(LivePass, UnreadableTypeOrRootIsRetriedOnTheNextPass) {
    FixtureTree tree;
    tree.add_supply("BAT0", kDischarging);
    tree.add_supply("BAT1", {{"status", "Discharging"}});  // no type anywhere
    TreeCache cache(tree.root);
    EXPECT_EQ(reading_ids(run_live_pass(cache)), "BAT0 ");
    EXPECT_TRUE(cache.rescan_requested);
    write_fixture_file(tree.base / "devices" / "BAT1" / "type", "Battery\n");
    BatterySnapshot snapshot = run_live_pass(cache);
    EXPECT_EQ(reading_ids(snapshot) + snapshot.error_message, "BAT0 BAT1 ");
    EXPECT_FALSE(cache.rescan_requested);

    // A root that goes away: its cached supplies are gone at once, then every pass says why
    // and drops the list until the root is back.
    std::filesystem::rename(tree.root, tree.base / "away");
    EXPECT_EQ(reading_ids(run_live_pass(cache)), "");
    for (int pass = 0; pass < 2; ++pass) {
        snapshot = run_live_pass(cache);
        EXPECT_EQ(reading_ids(snapshot), "");
        EXPECT_TRUE(snapshot.error_message.ends_with(": No such file or directory"));
        EXPECT_TRUE(cache.supplies.empty() && cache.rescan_requested);
    }
    std::filesystem::rename(tree.base / "away", tree.root);
    EXPECT_EQ(reading_ids(run_live_pass(cache)), "BAT0 BAT1 ");
}

TEST(LivePass, IdsStayUniqueWhenDirectoryNamesCleanUpAlike) {
    FixtureTree tree;
    // Twins are numbered in raw byte order, skipping a suffix a real directory already has,
    // from #2 again in each run of twins.
    for (const char* name : {"BAT\x81", "BAT\x80", "BAT\xfe", "BAT\xff", "BAT\xef\xbf\xbd#1",
                             "BAT\xef\xbf\xbd#2", "AC\x80", "AC\x81", "CAT\x80", "CAT\x81"}) {
        tree.add_supply(name, kDischarging);
    }
    tree.add_supply("BAT\xfd", kDischarging, {{"model_name", "Named"}});
    TreeCache cache(tree.root);
    const std::string bat = "BAT\xef\xbf\xbd";
    const BatterySnapshot snapshot = run_live_pass(cache);
    EXPECT_EQ(reading_ids(snapshot), "AC\xef\xbf\xbd AC\xef\xbf\xbd#2 " + bat + " " + bat + "#3 " + bat +
                                         "#4 " + bat + "#5 " + bat + "#6 " + bat + "#1 " + bat +
                                         "#2 CAT\xef\xbf\xbd CAT\xef\xbf\xbd#2 ");
    for (const BatteryReading& r : snapshot.readings) {
        EXPECT_EQ(r.name, r.id == bat + "#4" ? "Named" : r.id);  // a model name is kept
    }
}

// inotify counts the opens of the second, cached pass.
TEST(LivePass, CachedPassOpensOnlyTheUeventOnce) {
    FixtureTree tree;
    const FixtureAttributes complete = {
        {"type", "Battery"},         {"status", "Discharging"},      {"present", "1"},
        {"voltage_now", "12000000"}, {"energy_now", "30000000"},     {"energy_full", "5"},
        {"energy_full_design", "5"}, {"charge_now", "2500000"},      {"charge_full", "4"},
        {"charge_full_design", "4"}, {"power_now", "9000000"},       {"current_now", "7"},
        {"capacity", "60"},          {"cycle_count", "12"},          {"scope", "System"}};
    // Single files that a pass must not open, with other values to show if it did.
    const std::filesystem::path bat0 =
        tree.add_supply("BAT0", complete, {{"status", "Charging"}, {"capacity", "1"}});
    TreeCache cache(tree.root);
    ASSERT_EQ(run_live_pass(cache).readings.size(), 1U);

    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    inotify_add_watch(fd, bat0.c_str(), IN_OPEN);
    EXPECT_DOUBLE_EQ(run_live_pass(cache).readings.at(0).capacity_percent.value, 60.0);
    alignas(inotify_event) std::array<char, 4096> buffer{};
    const ssize_t got = read(fd, buffer.data(), buffer.size());
    close(fd);
    const auto* event = reinterpret_cast<const inotify_event*>(buffer.data());
    ASSERT_GT(got, 0) << "no open at all";
    EXPECT_EQ(std::string(event->name) + " " + std::to_string(got),  // one event only
              "uevent " + std::to_string(sizeof(inotify_event) + event->len));
}

} // namespace
