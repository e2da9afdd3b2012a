#include "app/command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

CommandLineResult parse(std::initializer_list<const char*> args) {
    const std::vector<const char*> list(args);
    return parse_command_line(list);
}

constexpr const char* kHelp =
    "Tavrino: live battery drain and capacity.\n"
    "Options: --compact --demo=SCENARIO --theme=light|dark --unit=Wh|mAh\n"
    "Diagnostics: --sysfs-root=PATH --quit-after=SECONDS\n"
    "Shortcuts: Ctrl+M compact/expanded, Ctrl+T always on top.\n";

TEST(CommandLine, FirstVersionHelpOrErrorDecides) {
    struct Case {
        std::vector<const char*> args;
        int status;
        const char* out;
        const char* err;
    };
    const std::vector<Case> cases = {
        {{"--version"}, 0, "Tavrino 1.2.1\n", ""},
        {{"--help"}, 0, kHelp, ""},
        {{"--help", "--bogus"}, 0, kHelp, ""},
        {{"--bogus", "--help"}, 2, "", "Unknown option: --bogus\n"},
        {{"--version", "--quit-after=0"}, 0, "Tavrino 1.2.1\n", ""},
        {{"--quit-after=0", "--version"}, 2, "", "Invalid --quit-after value\n"},
        {{"--compact", "--help", "--version"}, 0, kHelp, ""},
    };
    for (const Case& c : cases) {
        const CommandLineResult r = parse_command_line(c.args);
        SCOPED_TRACE(c.args.front());
        EXPECT_FALSE(r.run);
        EXPECT_EQ(r.exit_status, c.status);
        EXPECT_EQ(r.stdout_text, c.out);
        EXPECT_EQ(r.stderr_text, c.err);
    }
}

TEST(CommandLine, QuitAfterFollowsStrtolAndTheOneDayRange) {
    struct Case {
        const char* arg;
        int seconds;  // 0: rejected
    };
    const std::vector<Case> cases = {
        {"--quit-after=1", 1},
        {"--quit-after=86400", 86400},
        {"--quit-after=+30", 30},
        {"--quit-after=  30", 30},
        {"--quit-after=\t7", 7},
        {"--quit-after=007", 7},
        {"--quit-after=0", 0},
        {"--quit-after=86401", 0},
        {"--quit-after=-5", 0},
        {"--quit-after=", 0},
        {"--quit-after=30s", 0},
        {"--quit-after=30 ", 0},
        {"--quit-after= ", 0},
        {"--quit-after=0x10", 0},
        {"--quit-after=1.5", 0},
        {"--quit-after=99999999999999999999999", 0},
        {"--quit-after=-99999999999999999999999", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arg);
        const CommandLineResult r = parse({c.arg});
        if (c.seconds == 0) {
            EXPECT_FALSE(r.run);
            EXPECT_EQ(r.exit_status, 2);
            EXPECT_EQ(r.stderr_text, "Invalid --quit-after value\n");
            EXPECT_EQ(r.stdout_text, "");
        } else {
            ASSERT_TRUE(r.run);
            EXPECT_EQ(r.settings.quit_after_seconds, c.seconds);
        }
    }
}

TEST(CommandLine, UnrecognisedArgumentsAreErrors) {
    for (const char* arg : {"--unit=WH", "--unit=MAH", "--unit=", "--unit", "-h", "--",
                            "--display=:1", "battery.txt", "", "--demo", "--compact=1",
                            "--versions", "--Help"}) {
        SCOPED_TRACE(arg);
        const CommandLineResult r = parse({arg});
        EXPECT_FALSE(r.run);
        EXPECT_EQ(r.exit_status, 2);
        EXPECT_EQ(r.stderr_text, std::string("Unknown option: ") + arg + "\n");
    }
}

TEST(CommandLine, OptionsSetTheirSettingsAndTheLastOneWins) {
    const CommandLineResult defaults = parse({});
    ASSERT_TRUE(defaults.run);
    EXPECT_EQ(defaults.settings.sysfs_root, "/sys/class/power_supply");
    EXPECT_FALSE(defaults.settings.demo_given);
    EXPECT_FALSE(defaults.settings.unit_given);
    EXPECT_EQ(defaults.settings.quit_after_seconds, 0);

    const CommandLineResult r =
        parse({"--demo=charging", "--demo=", "--theme=Dark", "--sysfs-root=/a", "--sysfs-root=",
               "--quit-after=5", "--quit-after=9", "--unit=mah", "--unit=Wh", "--unit=mAh",
               "--compact"});
    ASSERT_TRUE(r.run);
    EXPECT_TRUE(r.settings.demo_given);
    EXPECT_EQ(r.settings.demo_scenario, "");
    EXPECT_EQ(r.settings.theme, "Dark");
    EXPECT_EQ(r.settings.sysfs_root, "");
    EXPECT_EQ(r.settings.quit_after_seconds, 9);
    EXPECT_TRUE(r.settings.unit_given);
    EXPECT_EQ(r.settings.unit_option, CapacityUnit::mAh);
    EXPECT_TRUE(r.settings.start_compact);
    EXPECT_EQ(r.stdout_text, "");
    EXPECT_EQ(r.stderr_text, "");

    // The remainder after a prefix is kept whole, "=" included.
    EXPECT_EQ(parse({"--demo=a=b"}).settings.demo_scenario, "a=b");
    EXPECT_EQ(parse({"--unit=wh"}).settings.unit_option, CapacityUnit::Wh);
}

}  // namespace
