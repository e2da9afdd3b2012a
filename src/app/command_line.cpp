// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <glib.h>
#include <glib/gi18n-lib.h>

#include "app/version.h"

namespace {

// Marked here, translated where it is printed.
constexpr const char* kHelpText =
    // TRANSLATORS: the text of --help. Keep the option names and their values (light,
    // dark, Wh, mAh) as they are; the words in capitals stand for what the user types and
    // may be translated. Write the Ctrl key as your keyboards label it.
    N_("Tavrino: live battery drain and capacity.\n"
       "Options: --compact --demo=SCENARIO --theme=light|dark --unit=Wh|mAh\n"
       "Diagnostics: --sysfs-root=PATH --quit-after=SECONDS\n"
       "Shortcuts: Ctrl+M compact/expanded, Ctrl+T always on top.");
// One line per option of the terminal face, after the four lines above.
constexpr const char* kPrintHelpLine =
    // TRANSLATORS: a line of --help. Keep --print and text|json|waybar as they are.
    N_("Terminal: --print[=text|json|waybar] prints the readings once, without a window.");
constexpr const char* kWatchHelpLine =
    // TRANSLATORS: a line of --help. Keep --watch and --print as they are.
    N_("Terminal: --watch with --print prints them again whenever they change.");

constexpr long kMaxQuitAfterSeconds = 86400;  // one day

bool starts_with(std::string_view text, std::string_view prefix, std::string_view& rest) {
    if (!text.starts_with(prefix)) {
        return false;
    }
    rest = text.substr(prefix.size());
    return true;
}

// strtol semantics on purpose: leading blanks and a sign are accepted, anything left over
// (30s, a trailing blank) is not. Overflow saturates and then fails the range test.
bool parse_quit_after(const char* text, std::int32_t& seconds) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE) {
        return false;
    }
    if (value < 1 || value > kMaxQuitAfterSeconds) {
        return false;
    }
    seconds = static_cast<std::int32_t>(value);
    return true;
}

CommandLineResult finish(int status, std::string out, std::string err) {
    CommandLineResult result;
    result.run = false;
    result.exit_status = status;
    result.stdout_text = std::move(out);
    result.stderr_text = std::move(err);
    return result;
}

}  // namespace

CommandLineResult parse_command_line(std::span<const char* const> args) {
    CommandLineResult result;
    result.run = true;
    StartupSettings& settings = result.settings;
    bool theme_given = false;

    for (const char* raw : args) {
        const std::string_view arg = raw != nullptr ? raw : "";
        std::string_view rest;
        if (arg == "--version") {
            return finish(0, std::string("Tavrino ") + kTavrinoVersion + "\n", {});
        }
        if (arg == "--help") {
            return finish(0,
                          std::string(_(kHelpText)) + "\n" + _(kPrintHelpLine) + "\n" +
                              _(kWatchHelpLine) + "\n",
                          {});
        }
        if (starts_with(arg, "--demo=", rest)) {
            settings.demo_scenario = rest;
            settings.demo_given = true;
        } else if (starts_with(arg, "--theme=", rest)) {
            settings.theme = rest;
            theme_given = true;
        } else if (starts_with(arg, "--sysfs-root=", rest)) {
            settings.sysfs_root = rest;
        } else if (starts_with(arg, "--quit-after=", rest)) {
            if (!parse_quit_after(rest.data(), settings.quit_after_seconds)) {
                // TRANSLATORS: keep --quit-after as it is: it is the option's name.
                return finish(2, {}, std::string(_("Invalid --quit-after value")) + "\n");
            }
        } else if (arg == "--print" || arg == "--print=text") {
            settings.print_form = PrintForm::text;
        } else if (arg == "--print=json") {
            settings.print_form = PrintForm::json;
        } else if (arg == "--print=waybar") {
            settings.print_form = PrintForm::waybar;
        } else if (arg == "--watch") {
            settings.watch = true;
        } else if (arg == "--compact") {
            settings.start_compact = true;
        } else if (arg == "--unit=Wh" || arg == "--unit=wh") {
            settings.unit_option = CapacityUnit::Wh;
            settings.unit_given = true;
        } else if (arg == "--unit=mAh" || arg == "--unit=mah") {
            settings.unit_option = CapacityUnit::mAh;
            settings.unit_given = true;
        } else {
            g_autofree gchar* error =
                // TRANSLATORS: %s is the option as the user typed it.
                g_strdup_printf(_("Unknown option: %s"), std::string(arg).c_str());
            return finish(2, {}, std::string(error) + "\n");
        }
    }
    // Only now: an unknown option, --version or --help anywhere on the line decides first.
    if (settings.print_form != PrintForm::none && (settings.start_compact || theme_given)) {
        // TRANSLATORS: keep the option names as they are.
        const char* error = _("--print does not go with --compact or --theme");
        return finish(2, {}, std::string(error) + "\n");
    }
    if (settings.watch && settings.print_form == PrintForm::none) {
        // TRANSLATORS: keep the option names as they are.
        return finish(2, {}, std::string(_("--watch needs --print")) + "\n");
    }
    return result;
}
