// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal/print_run.h"

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <glib.h>
#include <glib/gi18n-lib.h>
#include <unistd.h>

#include "acquisition/reading_pass.h"
#include "app/unit_preference.h"
#include "presentation/figure_format.h"
#include "terminal/json_document.h"
#include "terminal/standard_output.h"
#include "terminal/text_layout.h"
#include "terminal/waybar_line.h"
#include "terminal/watch_loop.h"

namespace {

void report_write_failure(int error) {
    // TRANSLATORS: %s is the system's reason, such as "No space left on device".
    const std::string line = filled(_("The readings could not be written: %s"), g_strerror(error));
    std::fputs((in_locale_charset(line) + "\n").c_str(), stderr);
}

}  // namespace

std::string print_output(PrintForm form, const BatterySnapshot& snapshot, CapacityUnit unit,
                         bool demo_mode, bool terminal) {
    switch (form) {
    case PrintForm::json:
        return json_document(snapshot, unit, demo_mode) + "\n";
    case PrintForm::waybar:
        return waybar_line(snapshot, unit, demo_mode) + "\n";
    default:
        return text_layout(snapshot, unit, demo_mode, terminal);
    }
}

std::string next_output(PrintPasses& passes) {
    const StartupSettings& settings = *passes.settings;
    BatterySnapshot snapshot = read_snapshot(passes.cache, settings.demo_given,
                                             settings.demo_scenario);
    if (passes.has_last && snapshot == passes.last_snapshot) {
        return passes.last_output;
    }
    passes.unreadable = snapshot.readings.empty() && !snapshot.error_message.empty();
    const std::string output = print_output(settings.print_form, snapshot, passes.unit,
                                            settings.demo_given, passes.terminal);
    // JSON is UTF-8 by definition; only the text form speaks the locale's character set.
    passes.last_output =
        settings.print_form == PrintForm::text ? in_locale_charset(output) : output;
    passes.last_snapshot = std::move(snapshot);
    passes.has_last = true;
    return passes.last_output;
}

int run_print(const StartupSettings& settings) {
    PrintPasses passes;
    passes.settings = &settings;
    passes.unit = choose_unit(settings);
    passes.terminal = isatty(STDOUT_FILENO) != 0;
    passes.cache.root = settings.sysfs_root;
    const auto pass = [&passes] { return next_output(passes); };

    if (settings.watch) {
        WatchSettings watch;
        watch.quit_after_seconds = settings.quit_after_seconds;
        watch.blank_line_between = settings.print_form == PrintForm::text;
        const int status = watch_loop(pass, STDOUT_FILENO, watch);
        if (status != 0) {
            report_write_failure(errno);
        }
        return status;
    }
    std::signal(SIGPIPE, SIG_IGN);  // a reader that left early is not a failure of ours
    switch (write_all(STDOUT_FILENO, pass(), nullptr)) {
    case WriteResult::failed:
        report_write_failure(errno);
        return 1;
    default:
        return passes.unreadable ? 1 : 0;
    }
}
