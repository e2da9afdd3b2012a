// Catches wrong readings, classification, unit conversion, figures, notes and texts: every
// case folder's tree goes through one live pass, and its rendering must match expected.txt.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

#include "acquisition/demo_scenarios.h"
#include "acquisition/supply_cache.h"
#include "presentation/capacity_figures.h"
#include "presentation/reading_view.h"
#include "support/case_folder.h"

namespace {

std::string expanded_lines(const ReadingView& view) {
    std::string text;
    char bar[32];
    std::snprintf(bar, sizeof bar, "%.4f", charge_bar_fraction(view.charge_percent));
    const std::pair<const char*, const std::string&> lines[] = {
        {"caption", view.caption}, {"rate", view.rate_text},
        {"status", view.status_text}, {"title", view.title},
        {"percent", view.percent_text}, {"bar", bar},
        {"remaining", view.remaining_text}, {"full charge", view.full_charge_text},
        {"design capacity", view.design_capacity_text}, {"health", view.health_text},
        {"voltage", view.voltage_text}, {"notes", view.notes},
        {"details", view.details},
    };
    for (const auto& [key, value] : lines) {
        add_line(text, key, value);
    }
    return text;
}

TEST(Cases, EachTreeRendersAsExpected) {
    std::setlocale(LC_NUMERIC, "C");
    for (const std::filesystem::path& folder : case_folders()) {
        SCOPED_TRACE(folder.filename().string());
        PreparedCase prepared(folder);
        SupplyCache cache;
        cache.root = prepared.root;
        const BatterySnapshot snapshot = prepared.demo_mode
                                             ? build_demo_snapshot(prepared.demo_scenario)
                                             : run_live_pass(cache);
        std::string text = snapshot_header(snapshot, cache.rescan_requested && !prepared.demo_mode);
        const std::size_t sections = std::max<std::size_t>(snapshot.readings.size(), 1);
        for (std::size_t i = 0; i < sections; ++i) {
            const std::string id = i < snapshot.readings.size() ? snapshot.readings[i].id : "";
            for (const CapacityUnit unit : {CapacityUnit::Wh, CapacityUnit::mAh}) {
                for (const bool compact : {false, true}) {
                    const ReadingView view =
                        compute_reading_view(snapshot, unit, id, prepared.demo_mode, compact);
                    text += section_heading(snapshot, i, unit == CapacityUnit::mAh, compact);
                    if (compact) {
                        add_line(text, "rate", view.compact_rate_text);
                        add_line(text, "remaining", view.compact_remaining_text);
                    } else {
                        text += expanded_lines(view);
                    }
                }
            }
        }
        expect_rendering(folder, text, false);
    }
}

} // namespace
