// Trees that --sysfs-root= can point at but no kernel makes: every case must end promptly
// (a hang would hit the test timeout) with the ordinary outcome.
#include "acquisition/attribute_map.h"
#include "acquisition/bounded_file.h"
#include "acquisition/supply_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "support/fixture_tree.h"

namespace {

const std::string kSupplyUnreadable =
    "Some Linux power supply information could not be read. Retrying automatically.";

void make_fifo(const std::filesystem::path& path) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
}

BatterySnapshot pass(const FixtureTree& tree, SupplyCache& cache) {
    cache.root = tree.root;
    return run_live_pass(cache);
}

TEST(BoundedFile, ReadsOnlyRegularFilesUpToTheLimit) {
    FixtureTree tree;
    write_fixture_file(tree.base / "exact", std::string(100, 'a'));
    write_fixture_file(tree.base / "longer", std::string(101, 'b'));
    make_fifo(tree.base / "fifo");
    std::filesystem::create_symlink("/dev/null", tree.base / "device");
    std::filesystem::create_symlink("/dev/zero", tree.base / "endless");

    const BoundedRead exact = read_regular_file(tree.base / "exact", 100);
    EXPECT_TRUE(exact.opened);
    EXPECT_FALSE(exact.truncated);
    EXPECT_EQ(exact.bytes, std::string(100, 'a'));

    const BoundedRead longer = read_regular_file(tree.base / "longer", 100);
    EXPECT_TRUE(longer.opened);
    EXPECT_TRUE(longer.truncated);
    EXPECT_EQ(longer.bytes, std::string(100, 'b'));

    const BoundedRead whole = read_regular_file(tree.base / "longer");
    EXPECT_FALSE(whole.truncated);
    EXPECT_EQ(whole.bytes.size(), 101U);

    for (const char* name : {"fifo", "device", "endless", "missing", "."}) {
        SCOPED_TRACE(name);
        const BoundedRead r = read_regular_file(tree.base / name);
        EXPECT_FALSE(r.opened);
        EXPECT_EQ(r.bytes, "");
    }
}

TEST(BoundedFile, HugeFileIsCutAtTheLimit) {
    FixtureTree tree;
    const std::filesystem::path huge = tree.base / "huge";
    write_fixture_file(huge, "");
    std::filesystem::resize_file(huge, std::uintmax_t{1} << 30);  // sparse: 1 GiB of NULs
    const BoundedRead r = read_regular_file(huge);
    EXPECT_TRUE(r.truncated);
    EXPECT_EQ(r.bytes.size(), kMaxFileBytes);
}

TEST(HostileTree, UeventThatIsNotARegularFileReadsAsMissing) {
    for (const char* kind : {"fifo", "dev-zero", "dev-null", "directory", "loop", "dangling"}) {
        SCOPED_TRACE(kind);
        FixtureTree tree;
        const std::filesystem::path device =
            tree.add_supply("BAT0", {}, {{"type", "Battery"}, {"status", "Charging"}});
        const std::filesystem::path uevent = device / "uevent";
        std::filesystem::remove(uevent);
        const std::string k = kind;
        if (k == "fifo") {
            make_fifo(uevent);
        } else if (k == "dev-zero") {
            std::filesystem::create_symlink("/dev/zero", uevent);
        } else if (k == "dev-null") {
            std::filesystem::create_symlink("/dev/null", uevent);
        } else if (k == "directory") {
            std::filesystem::create_directory(uevent);
        } else if (k == "loop") {
            std::filesystem::create_symlink("uevent", uevent);
        } else {
            std::filesystem::create_symlink(tree.base / "nowhere", uevent);
        }
        EXPECT_TRUE(read_attributes(device).empty());

        // The single files still give the battery.
        SupplyCache cache;
        const BatterySnapshot snapshot = pass(tree, cache);
        ASSERT_EQ(snapshot.readings.size(), 1U);
        EXPECT_TRUE(snapshot.readings[0].charging);
        EXPECT_EQ(snapshot.error_message, "");
    }
}

TEST(HostileTree, AttributeFileThatIsNotARegularFileReadsAsEmpty) {
    FixtureTree tree;
    const std::filesystem::path device =
        tree.add_supply("BAT0", {{"type", "Battery"}, {"capacity", "40"}});
    make_fifo(device / "status");
    std::filesystem::create_symlink("/dev/zero", device / "model_name");
    std::filesystem::create_symlink("/dev/urandom", device / "manufacturer");
    std::filesystem::create_symlink("technology", device / "technology");

    SupplyCache cache;
    const BatterySnapshot snapshot = pass(tree, cache);
    ASSERT_EQ(snapshot.readings.size(), 1U);
    const BatteryReading& r = snapshot.readings[0];
    EXPECT_EQ(r.name, "BAT0");
    EXPECT_EQ(r.manufacturer, "");
    EXPECT_EQ(r.technology, "");
    EXPECT_FALSE(r.charging || r.discharging);
    EXPECT_DOUBLE_EQ(r.capacity_percent.value, 40.0);
}

TEST(HostileTree, EndlessUeventIsCutAndItsLastLineDropped) {
    FixtureTree tree;
    const std::filesystem::path device = tree.add_supply("BAT0", {});
    std::string content = "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Charging\n";
    const std::string filler = "POWER_SUPPLY_FILLER=0123456789\n";
    // The capacity line straddles the limit: only "POWER_SUPPLY_CAPACITY=1" of it is read,
    // which must not pass for a capacity of 1 %.
    const std::string straddling = "POWER_SUPPLY_CAPACITY=100\n";
    const std::size_t cut_at = kMaxFileBytes - std::string("POWER_SUPPLY_CAPACITY=1").size();
    while (content.size() + filler.size() <= cut_at) {
        content += filler;
    }
    content += std::string(cut_at - content.size() - 1, 'x') + "\n";
    ASSERT_EQ(content.size(), cut_at);
    content += straddling;
    content += "POWER_SUPPLY_VOLTAGE_NOW=12000000\n";
    write_fixture_file(device / "uevent", content);

    AttributeMap map = read_attributes(device);
    EXPECT_EQ(map.at("type"), "Battery");
    EXPECT_EQ(map.at("status"), "Charging");
    EXPECT_FALSE(map.contains("capacity"));
    EXPECT_FALSE(map.contains("voltage_now"));
}

TEST(HostileTree, SparseGigabyteUeventEndsPromptly) {
    FixtureTree tree;
    const std::filesystem::path device = tree.add_supply("BAT0", {}, {{"type", "Battery"}});
    std::filesystem::resize_file(device / "uevent", std::uintmax_t{1} << 30);
    SupplyCache cache;
    const BatterySnapshot snapshot = pass(tree, cache);
    ASSERT_EQ(snapshot.readings.size(), 1U);
    EXPECT_EQ(snapshot.error_message,
              "Some battery readings are unavailable. Retrying automatically.");
}

TEST(HostileTree, OddEntriesInTheRoot) {
    struct Case {
        const char* kind;
        const char* message;
        bool rescan;
    };
    const std::vector<Case> cases = {
        {"plain-file", "", false},
        {"fifo", "", false},
        {"link-to-file", "", false},
        {"link-loop", kSupplyUnreadable.c_str(), false},
        {"dangling-link", kSupplyUnreadable.c_str(), false},
        {"empty-directory", kSupplyUnreadable.c_str(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        FixtureTree tree;
        tree.add_supply("BAT0", {{"type", "Battery"}, {"status", "Full"}});
        const std::filesystem::path odd = tree.root / "BAT1";
        const std::string k = c.kind;
        if (k == "plain-file") {
            write_fixture_file(odd, "POWER_SUPPLY_TYPE=Battery\n");
        } else if (k == "fifo") {
            make_fifo(odd);
        } else if (k == "link-to-file") {
            write_fixture_file(tree.base / "file", "x");
            std::filesystem::create_symlink(tree.base / "file", odd);
        } else if (k == "link-loop") {
            std::filesystem::create_symlink("BAT1", odd);
        } else if (k == "dangling-link") {
            std::filesystem::create_symlink("../devices/gone", odd);
        } else {
            std::filesystem::create_directory(odd);
        }
        SupplyCache cache;
        const BatterySnapshot snapshot = pass(tree, cache);
        ASSERT_EQ(snapshot.readings.size(), 1U);
        EXPECT_EQ(snapshot.readings[0].id, "BAT0");
        EXPECT_EQ(snapshot.error_message, c.message);
        EXPECT_EQ(cache.rescan_requested, c.rescan);
    }
}

TEST(HostileTree, RootThatCannotBeListed) {
    FixtureTree tree;
    write_fixture_file(tree.base / "file", "x");
    std::filesystem::create_symlink("loop", tree.base / "loop");
    std::filesystem::create_symlink("nowhere", tree.base / "dangling");
    struct Case {
        const char* root;
        const char* system_text;
    };
    const std::vector<Case> cases = {
        {"file", "Not a directory"},
        {"loop", "Too many levels of symbolic links"},
        {"dangling", "No such file or directory"},
        {"file/below", "Not a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.root);
        SupplyCache cache;
        cache.root = tree.base / c.root;
        const BatterySnapshot snapshot = run_live_pass(cache);
        EXPECT_TRUE(snapshot.readings.empty());
        EXPECT_EQ(snapshot.error_message,
                  std::string("The Linux battery interface could not be read: ") +
                      c.system_text);
        EXPECT_TRUE(cache.rescan_requested);
    }
}

TEST(HostileTree, CachedSupplyReplacedByAFileIsSkippedAndRescanned) {
    FixtureTree tree;
    tree.add_supply("BAT0", {{"type", "Battery"}, {"status", "Full"}});
    tree.add_supply("BAT1", {{"type", "Battery"}, {"status", "Full"}});
    SupplyCache cache;
    EXPECT_EQ(pass(tree, cache).readings.size(), 2U);

    tree.remove_supply("BAT1");
    write_fixture_file(tree.root / "BAT1", "POWER_SUPPLY_TYPE=Battery\n");
    BatterySnapshot snapshot = run_live_pass(cache);
    ASSERT_EQ(snapshot.readings.size(), 1U);
    EXPECT_EQ(snapshot.error_message, "");
    EXPECT_TRUE(cache.rescan_requested);

    snapshot = run_live_pass(cache);
    EXPECT_EQ(snapshot.readings.size(), 1U);
    EXPECT_EQ(cache.supplies.size(), 1U);
}

} // namespace
