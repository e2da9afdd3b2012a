// SPDX-License-Identifier: GPL-3.0-or-later
// Catches options that are misread, accepted when malformed, or rejected when valid; the
// wrong stream, text or exit status; and arguments looked at after --version, --help or an
// error has decided.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Everything a parse gives, as one line.
std::string outcome(const std::vector<const char*>& args) {
    const CommandLineResult r = parse_command_line(args);
    if (!r.run) {
        return "exit " + std::to_string(r.exit_status) + " out[" + r.stdout_text + "] err[" +
               r.stderr_text + "]";
    }
    const StartupSettings& s = r.settings;
    return "root=" + s.sysfs_root + " theme=" + s.theme + " demo=" +
           (s.demo_given ? "[" + s.demo_scenario + "]" : "no") +
           " quit=" + std::to_string(s.quit_after_seconds) + " compact=" +
           std::to_string(s.start_compact) + " unit=" +
           (s.unit_given ? (s.unit_option == CapacityUnit::mAh ? "mAh" : "Wh") : "no") +
           (s.print_form != PrintForm::none ? " print=" + std::to_string(int(s.print_form)) : "") +
           (s.watch ? " watch" : "") + r.stdout_text + r.stderr_text;
}

const std::string kDefaults = "root=/sys/class/power_supply theme= demo=no quit=0 compact=0 unit=no";
const std::string kVersion = "exit 0 out[Tavrino 1.2.1\n] err[]";
const std::string kHelp = "exit 0 out[Tavrino: live battery drain and capacity.\n"
                          "Options: --compact --demo=SCENARIO --theme=light|dark --unit=Wh|mAh\n"
                          "Diagnostics: --sysfs-root=PATH --quit-after=SECONDS\n"
                          "Shortcuts: Ctrl+M compact/expanded, Ctrl+T always on top.\n"
                          "Terminal: --print[=text|json|waybar] prints the readings once, "
                          "without a window.\n"
                          "Terminal: --watch with --print prints them again whenever they "
                          "change.\n] err[]";
const std::string kNotWithPrint = "exit 2 out[] err[--print does not go with --compact or --theme\n]";
const std::string kBadQuit = "exit 2 out[] err[Invalid --quit-after value\n]";

std::string unknown(const std::string& arg) { return "exit 2 out[] err[Unknown option: " + arg + "\n]"; }

TEST(CommandLine, EachArgumentListGivesItsOutcome) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{}, kDefaults},
        {{"--version", "--quit-after=0"}, kVersion},
        {{"--compact", "--help", "--bogus"}, kHelp},
        {{"--bogus", "--help"}, unknown("--bogus")},
        {{"--quit-after=0", "--version"}, kBadQuit},
        {{"--demo=charging", "--demo=", "--theme=Dark", "--sysfs-root=/a", "--sysfs-root=",
          "--quit-after=5", "--quit-after=9", "--unit=wh", "--unit=mah", "--compact"},
         "root= theme=Dark demo=[] quit=9 compact=1 unit=mAh"},
        {{"--demo=a=b", "--unit=mAh", "--unit=Wh", "--quit-after=86400"},
         "root=/sys/class/power_supply theme= demo=[a=b] quit=86400 compact=0 unit=Wh"},
        {{"--unit=wh"}, "root=/sys/class/power_supply theme= demo=no quit=0 compact=0 unit=Wh"},
        {{"--unit=mAh"}, "root=/sys/class/power_supply theme= demo=no quit=0 compact=0 unit=mAh"},
        // The terminal face: the last --print form wins; the conflicts are found only after
        // the whole line, and only when nothing decided before.
        {{"--print=json", "--print", "--watch"}, kDefaults + " print=1 watch"},
        {{"--print=text", "--print=json"}, kDefaults + " print=2"},
        {{"--print=waybar"}, kDefaults + " print=3"},
        {{"--print", "--compact"}, kNotWithPrint},
        {{"--theme=", "--print=json"}, kNotWithPrint},
        {{"--watch", "--print", "--theme=dark", "--watch"}, kNotWithPrint},
        {{"--watch", "--unit=mAh"}, "exit 2 out[] err[--watch needs --print\n]"},
        {{"--print", "--compact", "--help"}, kHelp},
        {{"--watch", "--bogus"}, unknown("--bogus")},
        {{"--print", "--compact", "--quit-after=0"}, kBadQuit},
    };
    for (const auto& [args, expected] : cases) {
        EXPECT_EQ(outcome(args), expected);
    }
    // Whole seconds within one day, after strtol's leading blanks and sign.
    for (const auto& [arg, quit] : std::vector<std::pair<const char*, const char*>>{
             {"--quit-after=1", "1"}, {"--quit-after=+30", "30"}, {"--quit-after=  30", "30"},
             {"--quit-after=\t007", "7"}}) {
        EXPECT_EQ(outcome({arg}), "root=/sys/class/power_supply theme= demo=no quit=" +
                                      std::string(quit) + " compact=0 unit=no");
    }
    for (const char* arg : {"--quit-after=0", "--quit-after=86401", "--quit-after=-5",
                            "--quit-after=", "--quit-after=30s", "--quit-after=30 ",
                            "--quit-after=0x10", "--quit-after=1.5",
                            "--quit-after=99999999999999999999999"}) {
        EXPECT_EQ(outcome({arg}), kBadQuit) << arg;
    }
    for (const char* arg : {"--unit=WH", "--unit=", "--unit", "-h", "--", "battery.txt", "",
                            "--demo", "--compact=1", "--versions", "--print=", "--print=JSON",
                            "--print=xml", "--print-json", "--watch=2"}) {
        EXPECT_EQ(outcome({arg}), unknown(arg)) << arg;
    }
}

}  // namespace
