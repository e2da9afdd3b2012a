// Catches a unit file found in the wrong place, misread, written when nothing changed,
// written with the wrong mode or bytes, and a temporary file left behind or planted files
// followed.
#include "app/unit_preference.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/location_env.h"
#include "support/fixture_tree.h"

namespace fs = std::filesystem;

namespace {

std::string file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

unsigned mode_of(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(UnitFile, FirstAbsoluteVariableDecidesWhereItIs) {
    struct Case {
        const char *own, *xdg, *home, *expected;
    };
    for (const Case c : {Case{"/own/", "/xdg", "/home/u", "/own//unit"},  // used as it is
                         Case{"", "/xdg", "/home/u", "/xdg/tavrino/unit"},
                         Case{"~/cfg", "/xdg/", "/home/u", "/xdg//tavrino/unit"},
                         Case{nullptr, "", "/home/u", "/home/u/.config/tavrino/unit"},
                         Case{"rel", "rel", "/home/u/", "/home/u//.config/tavrino/unit"},
                         Case{nullptr, nullptr, nullptr, ""}, Case{"own", "xdg", "home/u", ""}}) {
        locate_unit_file(c.own, c.xdg, c.home);
        EXPECT_EQ(unit_file_path(), c.expected);
    }
}

TEST(UnitFile, OnlyASingleRegularWOrMByteCounts) {
    const FixtureTree tree;
    const fs::path path = tree.base / "unit";
    for (const auto& [bytes, expected] : std::vector<std::pair<std::string, std::optional<char>>>{
             {"W", 'W'}, {"m", 'm'}, {"", std::nullopt}, {"w", std::nullopt},
             {"M", std::nullopt}, {"m\n", std::nullopt}, {"Wm", std::nullopt}}) {
        write_fixture_file(path, bytes);
        EXPECT_EQ(read_unit_file(path), expected) << bytes;
    }
    EXPECT_EQ(read_unit_file(""), std::nullopt);
    EXPECT_EQ(read_unit_file(tree.base), std::nullopt);  // a directory
    ASSERT_EQ(mkfifo((tree.base / "fifo").c_str(), 0600), 0);
    alarm(20);  // a blocking open would otherwise hang until CTest gives up
    EXPECT_EQ(read_unit_file(tree.base / "fifo"), std::nullopt);
    alarm(0);
}

TEST(UnitFile, SaveWritesOneBytePrivatelyAndOnlyWhenItChanges) {
    umask(022);  // the usual one, so the modes show what was asked
    const FixtureTree tree;
    const fs::path dir = tree.base / "a" / "b";
    const fs::path path = dir / "unit";
    locate_unit_file(dir.c_str());
    ASSERT_TRUE(save_unit_file(CapacityUnit::mAh));
    EXPECT_EQ(file_bytes(path), "m");
    EXPECT_EQ(mode_of(path), 0600U);
    EXPECT_EQ(mode_of(tree.base / "a"), 0700U);
    EXPECT_EQ(mode_of(dir), 0700U);

    // A malformed file is no preference, so saving the same unit rewrites it as one byte.
    write_fixture_file(path, "m\n");
    ASSERT_TRUE(save_unit_file(CapacityUnit::mAh));
    EXPECT_EQ(file_bytes(path), "m");
    // The same unit again writes nothing; an old time shows a rewrite even on a coarse clock.
    const std::array<timespec, 2> old_times = {{{1000000000, 0}, {1000000000, 0}}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), old_times.data(), 0), 0);
    ASSERT_TRUE(save_unit_file(CapacityUnit::mAh));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1000000000);
    ASSERT_TRUE(save_unit_file(CapacityUnit::Wh));
    EXPECT_EQ(file_bytes(path), "W");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);
}

TEST(UnitFile, FailedSaveLeavesNoTemporaryFile) {
    struct Case {
        const char* dir;      // the unit file's directory under the base; nullptr: no location
        std::string blocker;  // made under the base first, holding "x"; "" for none
    };
    for (const Case& c : {Case{nullptr, ""}, Case{"file/sub", "file"}, Case{"file", "file"},
                          Case{"", "unit/x"}}) {  // the last: the rename onto a full directory
        const FixtureTree tree;
        if (!c.blocker.empty()) {
            fs::create_directories((tree.base / c.blocker).parent_path());
            write_fixture_file(tree.base / c.blocker, "x");
        }
        const std::string dir = (tree.base / (c.dir != nullptr ? c.dir : "")).string();
        locate_unit_file(c.dir != nullptr ? dir.c_str() : nullptr);
        EXPECT_FALSE(save_unit_file(CapacityUnit::mAh)) << c.blocker;
        for (const auto& entry : fs::recursive_directory_iterator(tree.base)) {
            EXPECT_TRUE(entry.path().filename() == "power_supply" ||
                        entry.path() == tree.base / c.blocker ||
                        entry.path() == (tree.base / c.blocker).parent_path())
                << "left behind: " << entry.path();
        }
    }
}

// Anyone who can write to the directory can plant something at a predictable temporary
// name; the save must neither follow it, nor block on it, nor inherit its mode.
TEST(UnitFile, SaveIgnoresWhatIsPlantedAtAPredictableName) {
    umask(022);
    const std::string planted = "unit." + std::to_string(getpid()) + ".tmp";
    for (const std::string kind : {"link", "fifo", "stale file"}) {
        const FixtureTree tree;
        const fs::path victim = tree.base / "victim";
        write_fixture_file(victim, "precious");
        const fs::path trap = tree.base / planted;
        if (kind == "link") {
            fs::create_symlink(victim, trap);
        } else if (kind == "fifo") {
            ASSERT_EQ(mkfifo(trap.c_str(), 0666), 0);
        } else {
            write_fixture_file(trap, "old");
            ASSERT_EQ(chmod(trap.c_str(), 0666), 0);
        }
        locate_unit_file(tree.base.c_str());
        alarm(20);
        ASSERT_TRUE(save_unit_file(CapacityUnit::mAh)) << kind;
        alarm(0);
        EXPECT_EQ(file_bytes(tree.base / "unit") + file_bytes(victim), "mprecious") << kind;
        EXPECT_EQ(mode_of(tree.base / "unit"), 0600U) << kind;
        // Only the unit file is new: the save leaves no temporary file of its own.
        EXPECT_EQ(std::distance(fs::directory_iterator(tree.base), {}), 4) << kind;
    }
}

}  // namespace
