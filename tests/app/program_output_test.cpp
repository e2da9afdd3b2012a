// The built program as a process: its texts, streams and exit statuses before any window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/child_process.h"
#include "support/fixture_tree.h"

namespace {

constexpr const char* kProgram = TAVRINO_BINARY;

constexpr const char* kHelp =
    "Tavrino: live battery drain and capacity.\n"
    "Options: --compact --demo=SCENARIO --theme=light|dark --unit=Wh|mAh\n"
    "Diagnostics: --sysfs-root=PATH --quit-after=SECONDS\n"
    "Shortcuts: Ctrl+M compact/expanded, Ctrl+T always on top.\n";

// No display of either kind can be reached: no X11 display named, and no Wayland socket in
// an empty runtime directory.
EnvChanges without_display(const FixtureTree& tree) {
    return {{"DISPLAY", std::nullopt},
            {"WAYLAND_DISPLAY", std::nullopt},
            {"GDK_BACKEND", std::nullopt},
            {"XDG_RUNTIME_DIR", tree.base.string()},
            {"TAVRINO_CONFIG_HOME", (tree.base / "config").string()}};
}

TEST(ProgramOutput, TextsStreamsAndStatuses) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err;
    };
    const std::vector<Case> cases = {
        {{"--version"}, 0, "Tavrino 1.2.1\n", ""},
        {{"--help"}, 0, kHelp, ""},
        {{"--help", "--bogus"}, 0, kHelp, ""},
        {{"--bogus", "--help"}, 2, "", "Unknown option: --bogus\n"},
        {{"--unit=WH"}, 2, "", "Unknown option: --unit=WH\n"},
        {{"-h"}, 2, "", "Unknown option: -h\n"},
        {{"--"}, 2, "", "Unknown option: --\n"},
        {{"file name"}, 2, "", "Unknown option: file name\n"},
        {{"--quit-after=30s"}, 2, "", "Invalid --quit-after value\n"},
        {{"--quit-after=0", "--version"}, 2, "", "Invalid --quit-after value\n"},
    };
    // Errors end before GTK is touched, so no display is needed, and none is wanted.
    const FixtureTree tree;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        const ChildResult r = run_child(kProgram, c.args, without_display(tree));
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
}

TEST(ProgramOutput, NoDisplayPrintsTheDesktopMessageAndExits1) {
    const FixtureTree tree;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"--demo=", "--quit-after=1"}}) {
        const ChildResult r = run_child(kProgram, args, without_display(tree));
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "Tavrino needs a graphical Linux desktop (X11 or Wayland).\n");
    }
}

}  // namespace
