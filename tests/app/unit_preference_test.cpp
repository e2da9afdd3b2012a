// SPDX-License-Identifier: GPL-3.0-or-later
// Catches a unit file found in the wrong place, misread, written when nothing changed or
// with the wrong mode or bytes, a temporary file left behind, and a planted link, FIFO or
// stale file at a predictable temporary name being followed, blocked on or reused.
#include "app/unit_preference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/fixture_tree.h"

namespace fs = std::filesystem;

namespace {

// Sets the three variables that locate the unit file; nullptr unsets one.
void locate_unit_file(const char* own, const char* xdg = nullptr, const char* home = nullptr) {
    for (const auto& [name, value] : {std::pair{"TAVRINO_CONFIG_HOME", own}, {"XDG_CONFIG_HOME", xdg},
                                      {"HOME", home}}) {
        value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
}

// Every entry under dir but power_supply, sorted: "name=bytes mode" for files and
// "name/ mode" for folders, modes in octal.
std::string listing(const fs::path& dir) {
    std::vector<std::string> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
        const std::string name = fs::relative(entry.path(), dir).string();
        struct stat info {};
        lstat(entry.path().c_str(), &info);
        std::ifstream in;
        if (S_ISREG(info.st_mode)) {  // a FIFO would block the open
            in.open(entry.path(), std::ios::binary);
        }
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        char mode[8];
        std::snprintf(mode, sizeof mode, " %o", info.st_mode & 0777);
        if (name != "power_supply" && !S_ISLNK(info.st_mode)) {
            entries.push_back(name + (S_ISDIR(info.st_mode) ? "/" : "=" + bytes) + mode);
        }
    }
    std::sort(entries.begin(), entries.end());
    std::string text;
    for (const std::string& entry : entries) {
        text += entry + ", ";
    }
    return text;
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
    std::string read;
    close(STDIN_FILENO);  // started without standard input, the file opens as descriptor 0
    for (const char* bytes : {"W", "m", "", "w", "M", "m\n", "Wm"}) {
        write_fixture_file(path, bytes);
        read += read_unit_file(path).value_or('-');
    }
    EXPECT_EQ(read, "Wm-----");
    EXPECT_EQ(read_unit_file(""), std::nullopt);
    const auto open_files = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
    const auto open_before = open_files();
    EXPECT_EQ(read_unit_file(tree.base), std::nullopt);  // a directory
    ASSERT_EQ(mkfifo((tree.base / "fifo").c_str(), 0600), 0);
    alarm(20);  // a blocking open would otherwise hang until CTest gives up
    EXPECT_EQ(read_unit_file(tree.base / "fifo"), std::nullopt);
    alarm(0);
    EXPECT_EQ(open_files(), open_before);  // what is refused is closed, not kept open
}

TEST(UnitFile, SaveWritesOneBytePrivatelyOnlyWhenItChangesAndNeverFollowsAPlantedName) {
    umask(022);  // the usual one, so the modes show what was asked
    const FixtureTree tree;
    locate_unit_file((tree.base / "a/b").c_str());
    ASSERT_TRUE(save_unit_file(CapacityUnit::mAh));
    EXPECT_EQ(listing(tree.base), "a/ 700, a/b/ 700, a/b/unit=m 600, ");
    write_fixture_file(tree.base / "a/b/unit", "m\n");  // malformed: no preference, rewritten
    ASSERT_TRUE(save_unit_file(CapacityUnit::mAh));
    EXPECT_EQ(listing(tree.base), "a/ 700, a/b/ 700, a/b/unit=m 600, ");
    // The same unit again writes nothing; an old time shows a rewrite even on a coarse clock.
    const std::array<timespec, 2> old_times = {{{1000000000, 0}, {1000000000, 0}}};
    ASSERT_EQ(utimensat(AT_FDCWD, (tree.base / "a/b/unit").c_str(), old_times.data(), 0), 0);
    ASSERT_TRUE(save_unit_file(CapacityUnit::mAh));
    struct stat info {};
    ASSERT_EQ(stat((tree.base / "a/b/unit").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1000000000);

    // Anyone who can write to the folder can plant something at the name a process id
    // predicts; the save must neither follow it, nor block on it, nor inherit its mode.
    const fs::path planted = tree.base / "a/b" / ("unit." + std::to_string(getpid()) + ".tmp");
    for (const std::string kind : {"link", "fifo", "stale file"}) {
        fs::remove(planted);
        if (kind == "link") {
            fs::create_symlink(tree.base / "a/victim", planted);
        } else if (kind == "fifo") {
            ASSERT_EQ(mkfifo(planted.c_str(), 0666), 0);
        } else {
            write_fixture_file(planted, "old");
            chmod(planted.c_str(), 0666);
        }
        write_fixture_file(tree.base / "a/victim", "precious");
        alarm(20);
        ASSERT_TRUE(save_unit_file(kind == "fifo" ? CapacityUnit::Wh : CapacityUnit::mAh));
        alarm(0);
        const std::string unit = kind == "fifo" ? "W" : "m";
        const std::string trap = "a/b/" + planted.filename().string();
        EXPECT_EQ(listing(tree.base), "a/ 700, a/b/ 700, " +
                                          (kind == "link" ? "" : trap + (kind == "fifo" ? "= 644, " : "=old 666, ")) +
                                          "a/b/unit=" + unit + " 600, a/victim=precious 644, ")
            << kind;
    }
}

TEST(UnitFile, FailedSaveLeavesNoTemporaryFile) {
    struct Case {
        const char* dir;      // the unit file's folder under the base; nullptr: no location
        const char* blocker;  // made under the base first, holding "x"
        const char* listing;
    };
    umask(022);
    for (const Case c : {Case{nullptr, "x", "x=x 644, "},
                         Case{"file/sub", "file", "file=x 644, "},
                         Case{"file", "file", "file=x 644, "},
                         Case{"", "unit/x", "unit/ 755, unit/x=x 644, "}}) {  // rename fails
        const FixtureTree tree;
        fs::create_directories((tree.base / c.blocker).parent_path());
        write_fixture_file(tree.base / c.blocker, "x");
        locate_unit_file(c.dir != nullptr ? (tree.base / c.dir).c_str() : nullptr);
        EXPECT_FALSE(save_unit_file(CapacityUnit::mAh)) << c.blocker;
        EXPECT_EQ(listing(tree.base), c.listing);
    }
}

}  // namespace
