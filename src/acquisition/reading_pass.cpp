// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/reading_pass.h"

#include <exception>

#include <glib/gi18n-lib.h>

#include "acquisition/demo_scenarios.h"
#include "acquisition/utf8_text.h"

namespace {

constexpr const char* kUnknownFailure = N_("Battery readings could not be read.");

// The text reaches a GTK label, which refuses invalid UTF-8; an exception's text may carry
// raw bytes of a path. An empty text would look like a pass without problems.
std::string failure_text(const char* what) {
    if (what == nullptr || *what == '\0') {
        return _(kUnknownFailure);
    }
    return make_valid_utf8(what);
}

}  // namespace

BatterySnapshot guarded_pass(const std::function<BatterySnapshot()>& pass) {
    BatterySnapshot snapshot;
    try {
        snapshot = pass();
    } catch (const std::exception& failure) {
        snapshot.error_message = failure_text(failure.what());
    } catch (...) {
        snapshot.error_message = _(kUnknownFailure);
    }
    return snapshot;
}

BatterySnapshot read_snapshot(SupplyCache& cache, bool demo_mode, const std::string& scenario) {
    return guarded_pass([&] {
        return demo_mode ? build_demo_snapshot(scenario) : run_live_pass(cache);
    });
}
