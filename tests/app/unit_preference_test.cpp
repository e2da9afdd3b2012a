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

struct stat stat_of(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info;
}

TEST(UnitFilePath, FirstAbsoluteVariableDecides) {
    struct Case {
        const char* own;
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"/own", "/xdg", "/home/u", "/own/unit"},
        {"/own/", "/xdg", "/home/u", "/own//unit"},  // used as it is
        {"", "/xdg", "/home/u", "/xdg/tavrino/unit"},
        {"~/cfg", "/xdg", "/home/u", "/xdg/tavrino/unit"},  // relative: no "~" expansion
        {nullptr, "/xdg/", "/home/u", "/xdg//tavrino/unit"},
        {nullptr, "", "/home/u", "/home/u/.config/tavrino/unit"},
        {"rel", "rel", "/home/u/", "/home/u//.config/tavrino/unit"},
        {nullptr, nullptr, nullptr, ""},
        {"", "", "", ""},
        {"own", "xdg", "home/u", ""},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const LocationEnv env(cases[i].own, cases[i].xdg, cases[i].home);
        EXPECT_EQ(unit_file_path(), cases[i].expected);
    }
}

TEST(ReadUnitFile, OnlyASingleWOrMByteCounts) {
    const FixtureTree tree;
    const fs::path path = tree.base / "unit";
    for (const auto& [bytes, expected] : std::vector<std::pair<std::string, std::optional<char>>>{
             {"W", 'W'},
             {"m", 'm'},
             {"", std::nullopt},
             {"w", std::nullopt},
             {"M", std::nullopt},
             {"m\n", std::nullopt},
             {"Wm", std::nullopt},
             {std::string(5000, 'm'), std::nullopt}}) {
        SCOPED_TRACE(bytes.substr(0, 8));
        write_fixture_file(path, bytes);
        EXPECT_EQ(read_unit_file(path), expected);
    }
    EXPECT_EQ(read_unit_file(""), std::nullopt);
    EXPECT_EQ(read_unit_file(tree.base / "missing"), std::nullopt);
    EXPECT_EQ(read_unit_file(tree.base), std::nullopt);  // a directory

    ASSERT_EQ(mkfifo((tree.base / "fifo").c_str(), 0600), 0);
    alarm(20);  // a blocking open would otherwise hang until CTest gives up
    EXPECT_EQ(read_unit_file(tree.base / "fifo"), std::nullopt);
    alarm(0);
}

TEST(SaveUnitFile, WritesOneBytePrivatelyAndOnlyWhenItChanges) {
    umask(022);  // the usual one, so the modes show what was asked; one case per process
    const FixtureTree tree;
    const fs::path dir = tree.base / "a" / "b";
    const fs::path path = dir / "unit";
    const LocationEnv env(dir.c_str(), nullptr, nullptr);

    ASSERT_TRUE(save_unit_file(CapacityUnit::mAh));
    EXPECT_EQ(file_bytes(path), "m");
    EXPECT_EQ(stat_of(path).st_mode & 07777, 0600U);
    EXPECT_EQ(stat_of(tree.base / "a").st_mode & 07777, 0700U);
    EXPECT_EQ(stat_of(dir).st_mode & 07777, 0700U);

    // A malformed file is no preference, so saving the same unit rewrites it as one byte.
    write_fixture_file(path, "m\n");
    ASSERT_TRUE(save_unit_file(CapacityUnit::mAh));
    EXPECT_EQ(file_bytes(path), "m");

    // The same unit again writes nothing; an old time shows a rewrite even on a coarse clock.
    const std::array<timespec, 2> old_times = {{{1000000000, 0}, {1000000000, 0}}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), old_times.data(), 0), 0);
    const struct stat before = stat_of(path);
    ASSERT_TRUE(save_unit_file(CapacityUnit::mAh));
    EXPECT_EQ(stat_of(path).st_ino, before.st_ino);
    EXPECT_EQ(stat_of(path).st_mtim.tv_sec, before.st_mtim.tv_sec);

    ASSERT_TRUE(save_unit_file(CapacityUnit::Wh));
    EXPECT_EQ(file_bytes(path), "W");
    EXPECT_EQ(stat_of(path).st_mode & 07777, 0600U);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);
}

TEST(SaveUnitFile, FailuresLeaveNoTemporaryFile) {
    struct Case {
        const char* why;
        const char* dir;      // the unit file's directory under the base; nullptr: no location
        std::string blocker;  // made under the base first, holding "x"; "" for none
    };
    const std::vector<Case> cases = {
        {"no location at all", nullptr, ""},
        {"a plain file in the way of a directory", "file/sub", "file"},
        {"a plain file where the directory should be", "file", "file"},
        {"the rename fails: the unit path is a non-empty directory", "", "unit/x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const FixtureTree tree;
        if (!c.blocker.empty()) {
            fs::create_directories((tree.base / c.blocker).parent_path());
            write_fixture_file(tree.base / c.blocker, "x");
        }
        const std::string dir = (tree.base / (c.dir != nullptr ? c.dir : "")).string();
        const LocationEnv env(c.dir != nullptr ? dir.c_str() : nullptr, nullptr, nullptr);
        EXPECT_FALSE(save_unit_file(CapacityUnit::mAh));
        for (const auto& entry : fs::recursive_directory_iterator(tree.base)) {
            EXPECT_FALSE(entry.path().extension() == ".tmp" && !entry.is_directory())
                << "left behind: " << entry.path();
        }
        if (!c.blocker.empty()) {
            EXPECT_EQ(file_bytes(tree.base / c.blocker), "x");
        }
    }
}

// Anyone who can write to the directory can plant something at a predictable temporary
// name; the save must neither follow it, nor block on it, nor inherit its mode.
TEST(SaveUnitFile, IgnoresWhatIsPlantedAtAPredictableName) {
    umask(022);
    const std::string planted = "unit." + std::to_string(getpid()) + ".tmp";
    for (const std::string kind : {"link", "fifo", "stale file"}) {
        SCOPED_TRACE(kind);
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
        const LocationEnv env(tree.base.c_str(), nullptr, nullptr);
        alarm(20);  // a blocking open would otherwise hang until CTest gives up
        ASSERT_TRUE(save_unit_file(CapacityUnit::mAh));
        alarm(0);
        EXPECT_EQ(file_bytes(tree.base / "unit"), "m");
        EXPECT_EQ(stat_of(tree.base / "unit").st_mode & 07777, 0600U);
        EXPECT_EQ(file_bytes(victim), "precious");
        // Only the unit file is new: the save leaves no temporary file of its own.
        EXPECT_EQ(std::distance(fs::directory_iterator(tree.base), {}), 4);  // + power_supply
    }
}

TEST(ChooseUnit, OptionWinsAndDemoIgnoresTheFile) {
    struct Case {
        bool unit_given;
        CapacityUnit option;
        bool demo;
        CapacityUnit expected;
    };
    const std::vector<Case> cases = {
        {false, CapacityUnit::Wh, false, CapacityUnit::mAh},  // the file's 'm'
        {false, CapacityUnit::Wh, true, CapacityUnit::Wh},
        {true, CapacityUnit::Wh, false, CapacityUnit::Wh},
        {true, CapacityUnit::mAh, true, CapacityUnit::mAh},
    };
    const FixtureTree tree;
    const LocationEnv env(tree.base.c_str(), nullptr, nullptr);
    write_fixture_file(tree.base / "unit", "m");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        StartupSettings settings;
        settings.unit_given = cases[i].unit_given;
        settings.unit_option = cases[i].option;
        settings.demo_given = cases[i].demo;
        EXPECT_EQ(choose_unit(settings), cases[i].expected);
        EXPECT_EQ(file_bytes(tree.base / "unit"), "m");  // the option is never saved
    }
    write_fixture_file(tree.base / "unit", "m\n");
    EXPECT_EQ(choose_unit(StartupSettings{}), CapacityUnit::Wh);
}

}  // namespace
