// The built program as a process: its streams, exit statuses and environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <glib.h>
#include <sys/wait.h>

#include "app/lifecycle.h"
#include "support/fixture_tree.h"

namespace fs = std::filesystem;

namespace {

// Environment changes on top of the test's own: a value sets, nullptr unsets.
using EnvChanges = std::vector<std::pair<std::string, const char*>>;

struct Outcome {
    int status = -1;  // -1: killed by a signal, or by `timeout` after 30 s (124)
    std::string out;
    std::string err;
};

Outcome run_program(const std::vector<std::string>& args, const EnvChanges& env) {
    std::vector<const char*> argv = {"timeout", "30", TAVRINO_BINARY};
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    argv.push_back(nullptr);
    gchar** envp = g_get_environ();
    for (const auto& [name, value] : env) {
        envp = value ? g_environ_setenv(envp, name.c_str(), value, TRUE)
                     : g_environ_unsetenv(envp, name.c_str());
    }
    gchar* out = nullptr;
    gchar* err = nullptr;
    int wait_status = 0;
    const gboolean spawned =
        g_spawn_sync(nullptr, const_cast<gchar**>(argv.data()), envp, G_SPAWN_SEARCH_PATH,
                     nullptr, nullptr, &out, &err, &wait_status, nullptr);
    g_strfreev(envp);
    Outcome run;
    if (spawned) {
        run = {WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1, out, err};
    }
    g_free(out);
    g_free(err);
    return run;
}

TEST(Program, TextsStreamsAndStatuses) {
    const FixtureTree tree;
    const std::string config = (tree.base / "config").string();
    // No display of either kind in reach: none named, no Wayland socket in an empty runtime
    // directory. Texts and errors come before GTK, so they need none.
    const EnvChanges no_display = {{"DISPLAY", nullptr},
                                   {"WAYLAND_DISPLAY", nullptr},
                                   {"GDK_BACKEND", nullptr},
                                   {"XDG_RUNTIME_DIR", tree.base.c_str()},
                                   {"TAVRINO_CONFIG_HOME", config.c_str()}};
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err;
    };
    const std::vector<Case> cases = {
        {{"--version"}, 0, "Tavrino 1.2.1\n", ""},
        {{"--help"}, 0,
         "Tavrino: live battery drain and capacity.\n"
         "Options: --compact --demo=SCENARIO --theme=light|dark --unit=Wh|mAh\n"
         "Diagnostics: --sysfs-root=PATH --quit-after=SECONDS\n"
         "Shortcuts: Ctrl+M compact/expanded, Ctrl+T always on top.\n",
         ""},
        {{"--bogus"}, 2, "", "Unknown option: --bogus\n"},
        {{}, 1, "", "Tavrino needs a graphical Linux desktop (X11 or Wayland).\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "no display" : c.args.front());
        const Outcome r = run_program(c.args, no_display);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
}

// Timed runs end with status 0; only a choice made in the window writes the unit file.
TEST(Program, QuitAfterEndsWithStatus0AndLeavesTheUnitFileAlone) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"--unit=Wh"}, {"--demo="}, {"--demo=", "--unit=Wh"}}) {
        SCOPED_TRACE(testing::PrintToString(args));
        const FixtureTree tree;  // tree.root: an empty power-supply root
        const fs::path unit = tree.base / "config" / "unit";
        fs::create_directories(unit.parent_path());
        write_fixture_file(unit, "m");
        const fs::file_time_type written = fs::last_write_time(unit);  // a rewrite: 1 s later

        std::vector<std::string> full = args;
        full.insert(full.end(), {"--quit-after=1", "--sysfs-root=" + tree.root.string()});
        const Outcome r =
            run_program(full, {{"TAVRINO_CONFIG_HOME", unit.parent_path().c_str()}});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out + r.err, "");

        EXPECT_EQ(fs::last_write_time(unit), written);
        EXPECT_EQ(fs::file_size(unit), 1U);
        EXPECT_EQ(std::distance(fs::directory_iterator(unit.parent_path()), {}), 1);
    }
}

// The step start-up takes before GTK: a GDK_GL the user set stays, even empty.
TEST(Program, DefaultGdkGlOnlyWhenUnset) {
    for (const char* preset : {"always", "", static_cast<const char*>(nullptr)}) {
        if (preset != nullptr) {
            setenv("GDK_GL", preset, 1);
        } else {
            unsetenv("GDK_GL");
        }
        set_default_gdk_gl();
        ASSERT_NE(std::getenv("GDK_GL"), nullptr);
        EXPECT_STREQ(std::getenv("GDK_GL"), preset != nullptr ? preset : "disable");
    }
}

}  // namespace
