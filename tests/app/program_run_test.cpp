// The built program on a (virtual) display with a window manager: timed and closed ends,
// and the environment step before GTK starts.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <glib.h>
#include <sys/stat.h>

#include "app/child_process.h"
#include "app/lifecycle.h"
#include "support/fixture_tree.h"

namespace fs = std::filesystem;

namespace {

using std::chrono::seconds;

constexpr const char* kProgram = TAVRINO_BINARY;

// The unit file is kept inside the test's own directory, never the user's.
EnvChanges test_env(const FixtureTree& tree) {
    return {{"TAVRINO_CONFIG_HOME", (tree.base / "config").string()}};
}

// The X11 id of the program's managed window, as the window manager lists it.
std::optional<std::string> managed_window(pid_t pid, seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        const ChildResult list = run_child("wmctrl", {"-l", "-p"});
        std::istringstream lines(list.out);
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::string id;
            std::string desktop;
            pid_t owner = 0;
            if (fields >> id >> desktop >> owner && owner == pid) {
                return id;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return std::nullopt;
}

TEST(ProgramRun, QuitAfterEndsWithStatus0InLiveAndDemoMode) {
    const FixtureTree tree;  // tree.root: an empty power-supply root
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--quit-after=1", "--sysfs-root=" + tree.root.string()},
          {"--demo=", "--quit-after=1"},
          {"--demo=", "--compact", "--unit=mAh", "--quit-after=1"}}) {
        SCOPED_TRACE(args.front());
        const ChildResult r = run_child(kProgram, args, test_env(tree), seconds(30));
        ASSERT_TRUE(r.exited) << "still running after 30 s, or killed by a signal";
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
    }
    EXPECT_FALSE(fs::exists(tree.base / "config"));  // nothing saved without a choice
}

TEST(ProgramRun, DemoRunsAndUnitOptionsLeaveTheUnitFileAlone) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--demo=", "--quit-after=1"},
          {"--demo=", "--unit=Wh", "--quit-after=1"},
          {"--unit=Wh", "--quit-after=1"}}) {
        SCOPED_TRACE(args.front() + " " + args[1]);
        const FixtureTree tree;
        fs::create_directories(tree.base / "config");
        const fs::path unit = tree.base / "config" / "unit";
        std::ofstream(unit) << "m";
        struct stat before {};
        ASSERT_EQ(stat(unit.c_str(), &before), 0);

        std::vector<std::string> live_args = args;
        live_args.push_back("--sysfs-root=" + tree.root.string());
        const ChildResult r = run_child(kProgram, live_args, test_env(tree), seconds(30));
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 0);

        struct stat after {};
        ASSERT_EQ(stat(unit.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_size, 1);
        EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        EXPECT_EQ(std::distance(fs::directory_iterator(tree.base / "config"),
                                fs::directory_iterator()),
                  1);
    }
}

TEST(ProgramRun, ClosingTheWindowEndsWithStatus0BeforeTheTimer) {
    const FixtureTree tree;
    Child child = start_child(kProgram,
                              {"--quit-after=600", "--sysfs-root=" + tree.root.string()},
                              test_env(tree));
    const ChildGuard guard(child);
    const std::optional<std::string> window = managed_window(child.pid, seconds(30));
    ASSERT_TRUE(window) << "the window never appeared in the window manager's list";
    // The window manager asks the window to close, as its close button does.
    run_child("wmctrl", {"-i", "-c", *window});
    const ChildResult r = wait_for_child(child, seconds(30));
    ASSERT_TRUE(r.exited) << "still running 30 s after the close request";
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
}

// In-process: the step that start-up takes before GTK is initialised.
TEST(DefaultGdkGl, SetsGdkGlOnlyWhenUnset) {
    const char* old = std::getenv("GDK_GL");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;

    for (const char* preset : {"always", ""}) {
        setenv("GDK_GL", preset, 1);
        set_default_gdk_gl();
        ASSERT_NE(std::getenv("GDK_GL"), nullptr);
        EXPECT_STREQ(std::getenv("GDK_GL"), preset);
    }
    unsetenv("GDK_GL");
    set_default_gdk_gl();
    ASSERT_NE(std::getenv("GDK_GL"), nullptr);
    EXPECT_STREQ(std::getenv("GDK_GL"), "disable");

    if (saved) {
        setenv("GDK_GL", saved->c_str(), 1);
    } else {
        unsetenv("GDK_GL");
    }
}

}  // namespace
