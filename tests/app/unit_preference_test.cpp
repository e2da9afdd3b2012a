#include "app/unit_preference.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
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

// The files are made with the umask users usually have, so the modes show what was asked.
struct Umask022 {
    Umask022() : old(umask(022)) {}
    ~Umask022() { umask(old); }
    Umask022(const Umask022&) = delete;
    Umask022& operator=(const Umask022&) = delete;
    mode_t old;
};

void write_file(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

mode_t permissions(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

std::vector<std::string> temporary_files(const fs::path& base) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(base)) {
        if (entry.path().extension() == ".tmp") {
            found.push_back(entry.path());
        }
    }
    return found;
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
        {"relative/dir", "/xdg", "/home/u", "/xdg/tavrino/unit"},
        {"~/cfg", "/xdg", "/home/u", "/xdg/tavrino/unit"},  // no "~" expansion
        {nullptr, "/xdg/", "/home/u", "/xdg//tavrino/unit"},
        {nullptr, "", "/home/u", "/home/u/.config/tavrino/unit"},
        {"rel", "rel", "/home/u/", "/home/u//.config/tavrino/unit"},
        {nullptr, nullptr, "/", "//.config/tavrino/unit"},
        {nullptr, nullptr, nullptr, ""},
        {"", "", "", ""},
        {"own", "xdg", "home/u", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.own ? c.own : "(unset)") + " " + (c.xdg ? c.xdg : "(unset)") +
                     " " + (c.home ? c.home : "(unset)"));
        const LocationEnv env(c.own, c.xdg, c.home);
        EXPECT_EQ(unit_file_path(), c.expected);
    }
}

TEST(ReadUnitFile, OnlyASingleWOrMByteCounts) {
    struct Case {
        std::string bytes;
        std::optional<char> expected;
    };
    const std::vector<Case> cases = {
        {"W", 'W'},           {"m", 'm'},           {"", std::nullopt},
        {"w", std::nullopt},  {"M", std::nullopt},  {"m\n", std::nullopt},
        {"W\n", std::nullopt}, {"Wm", std::nullopt}, {std::string(1, '\0'), std::nullopt},
        {std::string(5000, 'm'), std::nullopt},
    };
    const FixtureTree tree;
    const fs::path path = tree.base / "unit";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 8));
        write_file(path, c.bytes);
        EXPECT_EQ(read_unit_file(path), c.expected);
    }
    EXPECT_EQ(read_unit_file(""), std::nullopt);
    EXPECT_EQ(read_unit_file(tree.base / "missing"), std::nullopt);
    EXPECT_EQ(read_unit_file(tree.base), std::nullopt);  // a directory
}

TEST(ReadUnitFile, FifoIsNoPreferenceAndDoesNotBlock) {
    const FixtureTree tree;
    const fs::path path = tree.base / "unit";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    alarm(20);  // a blocking open would otherwise hang the test until CTest gives up
    EXPECT_EQ(read_unit_file(path), std::nullopt);
    alarm(0);
}

TEST(SaveUnitFile, CreatesDirectoriesAndOneByteFileWithPrivateModes) {
    const Umask022 mask;
    const FixtureTree tree;
    const fs::path dir = tree.base / "a" / "b";
    const LocationEnv env(dir.c_str(), nullptr, nullptr);

    ASSERT_TRUE(save_unit_file(CapacityUnit::mAh));
    EXPECT_EQ(file_bytes(dir / "unit"), "m");
    EXPECT_EQ(permissions(dir / "unit"), 0600U);
    EXPECT_EQ(permissions(tree.base / "a"), 0700U);
    EXPECT_EQ(permissions(dir), 0700U);
    EXPECT_EQ(read_unit_file(dir / "unit"), 'm');

    ASSERT_TRUE(save_unit_file(CapacityUnit::Wh));
    EXPECT_EQ(file_bytes(dir / "unit"), "W");
    EXPECT_EQ(permissions(dir / "unit"), 0600U);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(SaveUnitFile, RewritesAMalformedFileAsOneByte) {
    const FixtureTree tree;
    const LocationEnv env(tree.base.c_str(), nullptr, nullptr);
    write_file(tree.base / "unit", "m\n");
    ASSERT_EQ(read_unit_file(tree.base / "unit"), std::nullopt);
    ASSERT_TRUE(save_unit_file(CapacityUnit::mAh));
    EXPECT_EQ(file_bytes(tree.base / "unit"), "m");
}

TEST(SaveUnitFile, SameUnitWritesNothing) {
    const FixtureTree tree;
    const LocationEnv env(tree.base.c_str(), nullptr, nullptr);
    const fs::path path = tree.base / "unit";
    write_file(path, "W");
    // An old time, so any rewrite would show even on a coarse clock.
    const std::array<timespec, 2> old_times = {{{1000000000, 0}, {1000000000, 0}}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), old_times.data(), 0), 0);
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);

    ASSERT_TRUE(save_unit_file(CapacityUnit::Wh));

    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(file_bytes(path), "W");
}

TEST(SaveUnitFile, FailuresLeaveNoTemporaryFile) {
    struct Case {
        const char* name;
        // Prepares base and returns the three variables' values (nullptr = unset).
        std::function<std::vector<const char*>(const fs::path& base, std::string& keep)> setup;
        const char* left_alone;  // relative to base: must still hold "x"; nullptr = none
    };
    const std::string pid = std::to_string(getpid());
    const std::vector<Case> cases = {
        {"no location at all",
         [](const fs::path&, std::string&) {
             return std::vector<const char*>{nullptr, nullptr, nullptr};
         },
         nullptr},
        {"only relative or empty variables",
         [](const fs::path&, std::string&) {
             return std::vector<const char*>{"cfg", "", "home"};
         },
         nullptr},
        {"a plain file in the way of a directory",
         [](const fs::path& base, std::string& keep) {
             write_file(base / "file", "x");
             keep = base / "file" / "sub";
             return std::vector<const char*>{keep.c_str(), nullptr, nullptr};
         },
         "file"},
        {"a plain file where the last directory should be",
         [](const fs::path& base, std::string& keep) {
             write_file(base / "tavrino", "x");
             keep = base;
             return std::vector<const char*>{nullptr, keep.c_str(), nullptr};
         },
         "tavrino"},
        {"a directory where the temporary file should go",
         [&pid](const fs::path& base, std::string& keep) {
             fs::create_directories(base / ("unit." + pid + ".tmp"));
             keep = base;
             return std::vector<const char*>{keep.c_str(), nullptr, nullptr};
         },
         nullptr},
        {"the rename fails: the unit path is a non-empty directory",
         [](const fs::path& base, std::string& keep) {
             fs::create_directories(base / "unit");
             write_file(base / "unit" / "inside", "x");
             keep = base;
             return std::vector<const char*>{keep.c_str(), nullptr, nullptr};
         },
         "unit/inside"},
        {"a path too long for the system",
         [](const fs::path& base, std::string& keep) {
             keep = base.string() + "/" + std::string(5000, 'd');
             return std::vector<const char*>{keep.c_str(), nullptr, nullptr};
         },
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FixtureTree tree;
        std::string keep;
        const std::vector<const char*> vars = c.setup(tree.base, keep);
        const LocationEnv env(vars[0], vars[1], vars[2]);
        EXPECT_FALSE(save_unit_file(CapacityUnit::mAh));
        // The temporary directory of the fourth case is the obstacle itself, not a leftover.
        for (const std::string& tmp : temporary_files(tree.base)) {
            EXPECT_TRUE(fs::is_directory(tmp)) << "left behind: " << tmp;
        }
        if (c.left_alone != nullptr) {
            EXPECT_EQ(file_bytes(tree.base / c.left_alone), "x");
        }
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
        {true, CapacityUnit::mAh, false, CapacityUnit::mAh},
        {true, CapacityUnit::mAh, true, CapacityUnit::mAh},
    };
    const FixtureTree tree;
    const LocationEnv env(tree.base.c_str(), nullptr, nullptr);
    write_file(tree.base / "unit", "m");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.unit_given) + " " + std::to_string(c.demo));
        StartupSettings settings;
        settings.unit_given = c.unit_given;
        settings.unit_option = c.option;
        settings.demo_given = c.demo;
        EXPECT_EQ(choose_unit(settings), c.expected);
        EXPECT_EQ(file_bytes(tree.base / "unit"), "m");  // the option is never saved
    }
    write_file(tree.base / "unit", "m\n");
    EXPECT_EQ(choose_unit(StartupSettings{}), CapacityUnit::Wh);
}

}  // namespace
