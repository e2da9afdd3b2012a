// Trees that --sysfs-root= can point at but no kernel makes: every case must end promptly
// (a hang would hit the test timeout) with the ordinary outcome.
#include "acquisition/attribute_map.h"
#include "acquisition/bounded_file.h"
#include "acquisition/supply_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>

#include "support/fixture_tree.h"

namespace {

const std::string kSupplyUnreadable =
    "Some Linux power supply information could not be read. Retrying automatically.";

// Puts something other than a regular file at `path`.
void make_odd(const std::string& kind, const std::filesystem::path& path) {
    if (kind == "fifo") {
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
    } else if (kind == "directory") {
        std::filesystem::create_directory(path);
    } else if (kind == "loop") {
        std::filesystem::create_symlink(path.filename(), path);
    } else if (kind == "dangling") {
        std::filesystem::create_symlink("../nowhere", path);
    } else {
        std::filesystem::create_symlink(kind, path);  // a device such as /dev/zero
    }
}

TEST(BoundedFile, ReadsUpToTheLimitAndSaysWhenItCut) {
    FixtureTree tree;
    write_fixture_file(tree.base / "file", std::string(101, 'b'));
    const BoundedRead whole = read_regular_file(tree.base / "file", 101);
    EXPECT_TRUE(whole.opened && !whole.truncated);
    EXPECT_EQ(whole.bytes.size(), 101U);
    const BoundedRead cut = read_regular_file(tree.base / "file", 100);
    EXPECT_TRUE(cut.opened && cut.truncated);
    EXPECT_EQ(cut.bytes, std::string(100, 'b'));
}

TEST(HostileTree, UeventOrAttributeThatIsNotARegularFileReadsAsMissing) {
    for (const char* kind : {"fifo", "/dev/zero", "/dev/urandom", "directory", "loop",
                             "dangling"}) {
        SCOPED_TRACE(kind);
        FixtureTree tree;
        const std::filesystem::path device =
            tree.add_supply("BAT0", {}, {{"type", "Battery"}, {"status", "Charging"}});
        std::filesystem::remove(device / "uevent");
        make_odd(kind, device / "uevent");
        make_odd(kind, device / "model_name");
        make_odd(kind, device / "manufacturer");
        EXPECT_TRUE(read_attributes(device).empty());

        // The single regular files still give the battery.
        TreeCache cache(tree.root);
        const BatterySnapshot snapshot = run_live_pass(cache);
        ASSERT_EQ(snapshot.readings.size(), 1U);
        EXPECT_EQ(snapshot.readings[0].name + snapshot.readings[0].manufacturer, "BAT0");
        EXPECT_TRUE(snapshot.readings[0].charging);
        EXPECT_EQ(snapshot.error_message, "");
    }
}

TEST(HostileTree, EndlessUeventIsCutAndItsLastLineDropped) {
    FixtureTree tree;
    const std::filesystem::path device = tree.add_supply("BAT0", {});
    // The capacity line straddles the limit: only "POWER_SUPPLY_CAPACITY=1" of it is read,
    // which must not pass for a capacity of 1 %.
    const std::size_t cut_at = kMaxFileBytes - std::string("POWER_SUPPLY_CAPACITY=1").size();
    std::string content = "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Charging\n";
    content += std::string(cut_at - content.size() - 1, 'x') + "\n";
    ASSERT_EQ(content.size(), cut_at);
    write_fixture_file(device / "uevent",
                       content + "POWER_SUPPLY_CAPACITY=100\nPOWER_SUPPLY_VOLTAGE_NOW=12000000\n");

    AttributeMap map = read_attributes(device);
    EXPECT_EQ(map.at("status"), "Charging");
    EXPECT_FALSE(map.contains("capacity"));
    EXPECT_FALSE(map.contains("voltage_now"));
}

TEST(HostileTree, SparseGigabyteUeventEndsPromptlyAndAsksForARescan) {
    FixtureTree tree;
    const std::filesystem::path device = tree.add_supply("BAT0", {}, {{"type", "Battery"}});
    std::filesystem::resize_file(device / "uevent", std::uintmax_t{1} << 30);
    EXPECT_EQ(read_regular_file(device / "uevent").bytes.size(), kMaxFileBytes);
    TreeCache cache(tree.root);
    const BatterySnapshot snapshot = run_live_pass(cache);
    ASSERT_EQ(snapshot.readings.size(), 1U);
    EXPECT_EQ(snapshot.error_message,
              "Some battery readings are unavailable. Retrying automatically.");
    EXPECT_TRUE(cache.rescan_requested);
}

TEST(HostileTree, OddEntriesInTheRoot) {
    struct Case {
        const char* kind;
        std::string message;
        bool rescan;
    };
    const std::vector<Case> cases = {
        {"plain-file", "", false},
        {"fifo", "", false},
        {"/dev/null", "", false},
        {"loop", kSupplyUnreadable, false},
        {"dangling", kSupplyUnreadable, false},
        {"directory", kSupplyUnreadable, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        FixtureTree tree;
        tree.add_supply("BAT0", {{"type", "Battery"}, {"status", "Full"}});
        if (std::string(c.kind) == "plain-file") {
            write_fixture_file(tree.root / "BAT1", "POWER_SUPPLY_TYPE=Battery\n");
        } else {
            make_odd(c.kind, tree.root / "BAT1");
        }
        TreeCache cache(tree.root);
        const BatterySnapshot snapshot = run_live_pass(cache);
        EXPECT_EQ(reading_ids(snapshot), "BAT0 ");
        EXPECT_EQ(snapshot.error_message, c.message);
        EXPECT_EQ(cache.rescan_requested, c.rescan);
    }
}

TEST(HostileTree, CachedSupplyReplacedByAFileIsSkippedAndRescanned) {
    FixtureTree tree;
    tree.add_supply("BAT0", {{"type", "Battery"}, {"status", "Full"}});
    tree.add_supply("BAT1", {{"type", "Battery"}, {"status", "Full"}});
    TreeCache cache(tree.root);
    EXPECT_EQ(run_live_pass(cache).readings.size(), 2U);

    tree.remove_supply("BAT1");
    write_fixture_file(tree.root / "BAT1", "POWER_SUPPLY_TYPE=Battery\n");
    BatterySnapshot snapshot = run_live_pass(cache);
    EXPECT_EQ(reading_ids(snapshot), "BAT0 ");
    EXPECT_EQ(snapshot.error_message, "");
    EXPECT_TRUE(cache.rescan_requested);
    EXPECT_EQ(reading_ids(run_live_pass(cache)), "BAT0 ");
    EXPECT_EQ(cache.supplies.size(), 1U);
}

} // namespace
