// Catches wrong readings, classification, unit conversion, figures, notes and texts: every
// case folder's tree goes through one live pass, and its rendering must match expected.txt.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

#include "presentation/capacity_figures.h"
#include "presentation/reading_view.h"
#include "support/case_folder.h"

TEST(Cases, EachTreeRendersAsExpected) {
    std::setlocale(LC_NUMERIC, "C");
    for (const std::filesystem::path& folder : case_folders()) {
        const PreparedCase prepared(folder);
        SupplyCache cache;
        const BatterySnapshot snapshot = prepared.read(cache);
        const auto page = [&](std::size_t i, CapacityUnit unit, bool compact) {
            const std::string id = i < snapshot.readings.size() ? snapshot.readings[i].id : "";
            const ReadingView v = compute_reading_view(snapshot, unit, id, prepared.demo_mode, compact);
            std::string text;
            if (compact) {
                add_line(text, "rate", v.compact_rate_text);
                add_line(text, "remaining", v.compact_remaining_text);
                return text;
            }
            char bar[16];
            std::snprintf(bar, sizeof bar, "%.4f", charge_bar_fraction(v.charge_percent));
            for (const auto& [key, value] : {std::pair{"caption", v.caption}, {"rate", v.rate_text},
                     {"status", v.status_text}, {"title", v.title}, {"percent", v.percent_text},
                     {"bar", std::string(bar)}, {"remaining", v.remaining_text},
                     {"full charge", v.full_charge_text}, {"design capacity", v.design_capacity_text},
                     {"health", v.health_text}, {"voltage", v.voltage_text}, {"notes", v.notes},
                     {"details", v.details}}) {
                add_line(text, key, value);
            }
            return text;
        };
        expect_rendering(folder, render_case(snapshot, cache.rescan_requested && !prepared.demo_mode, page),
                         false);
    }
}
