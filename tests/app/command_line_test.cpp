#include "app/command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

CommandLineResult parse(std::initializer_list<const char*> args) {
    return parse_command_line(std::vector<const char*>(args));
}

constexpr const char* kVersion = "Tavrino 1.2.1\n";
constexpr const char* kHelp =
    "Tavrino: live battery drain and capacity.\n"
    "Options: --compact --demo=SCENARIO --theme=light|dark --unit=Wh|mAh\n"
    "Diagnostics: --sysfs-root=PATH --quit-after=SECONDS\n"
    "Shortcuts: Ctrl+M compact/expanded, Ctrl+T always on top.\n";
constexpr const char* kBadQuitAfter = "Invalid --quit-after value\n";

void expect_ends(const CommandLineResult& r, int status, const std::string& out,
                 const std::string& err) {
    EXPECT_FALSE(r.run);
    EXPECT_EQ(r.exit_status, status);
    EXPECT_EQ(r.stdout_text, out);
    EXPECT_EQ(r.stderr_text, err);
}

// The first --version, --help or error decides, whatever follows it.
TEST(CommandLine, FirstVersionHelpOrErrorDecides) {
    struct Case {
        std::vector<const char*> args;
        int status;
        const char* out;
        const char* err;
    };
    const std::vector<Case> cases = {
        {{"--version"}, 0, kVersion, ""},
        {{"--help", "--bogus"}, 0, kHelp, ""},
        {{"--bogus", "--help"}, 2, "", "Unknown option: --bogus\n"},
        {{"--version", "--quit-after=0"}, 0, kVersion, ""},
        {{"--quit-after=0", "--version"}, 2, "", kBadQuitAfter},
        {{"--compact", "--help", "--version"}, 0, kHelp, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        expect_ends(parse_command_line(c.args), c.status, c.out, c.err);
    }
}

TEST(CommandLine, RejectedArguments) {
    for (const char* arg : {"--quit-after=0", "--quit-after=86401", "--quit-after=-5",
                            "--quit-after=", "--quit-after=30s", "--quit-after=30 ",
                            "--quit-after= ", "--quit-after=0x10", "--quit-after=1.5",
                            "--quit-after=99999999999999999999999"}) {
        SCOPED_TRACE(arg);
        expect_ends(parse({arg}), 2, "", kBadQuitAfter);
    }
    for (const char* arg : {"--unit=WH", "--unit=", "--unit", "-h", "--", "--display=:1",
                            "battery.txt", "", "--demo", "--compact=1", "--versions"}) {
        SCOPED_TRACE(arg);
        expect_ends(parse({arg}), 2, "", std::string("Unknown option: ") + arg + "\n");
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
               "--quit-after=5", "--quit-after=9", "--unit=wh", "--unit=mah", "--compact"});
    ASSERT_TRUE(r.run);
    EXPECT_TRUE(r.settings.demo_given);
    EXPECT_EQ(r.settings.demo_scenario, "");
    EXPECT_EQ(r.settings.theme, "Dark");
    EXPECT_EQ(r.settings.sysfs_root, "");
    EXPECT_EQ(r.settings.quit_after_seconds, 9);
    EXPECT_TRUE(r.settings.unit_given);
    EXPECT_EQ(r.settings.unit_option, CapacityUnit::mAh);
    EXPECT_TRUE(r.settings.start_compact);
    EXPECT_EQ(r.stdout_text + r.stderr_text, "");
    EXPECT_EQ(parse({"--demo=a=b"}).settings.demo_scenario, "a=b");  // kept whole
    EXPECT_EQ(parse({"--unit=mAh", "--unit=Wh"}).settings.unit_option, CapacityUnit::Wh);
    // Whole seconds within one day, after strtol's leading blanks and sign.
    for (const auto& [arg, seconds] : std::vector<std::pair<const char*, int>>{
             {"--quit-after=1", 1},
             {"--quit-after=86400", 86400},
             {"--quit-after=+30", 30},
             {"--quit-after=  30", 30},
             {"--quit-after=\t007", 7}}) {
        SCOPED_TRACE(arg);
        EXPECT_EQ(parse({arg}).settings.quit_after_seconds, seconds);
    }
}

}  // namespace
