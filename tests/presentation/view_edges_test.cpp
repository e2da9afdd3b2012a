// SPDX-License-Identifier: GPL-3.0-or-later
// Catches a font step that moved by a byte, which no case's figure may be long enough to
// show, and a direction not taken from the sign of a current when no power can be made.
#include <gtest/gtest.h>

#include "presentation/label_font_size.h"
#include "presentation/reading_view.h"

TEST(ViewEdges, FontStepsChangeJustAfterTheirLastLength) {
    struct Step {
        int (*px_for)(std::size_t);
        std::size_t last_bytes;
        int px, next_px;
    };
    for (const Step s : {Step{expanded_rate_font_px, 11, 48, 32}, {expanded_rate_font_px, 15, 32, 24},
                         {compact_rate_font_px, 7, 20, 16}, {compact_rate_font_px, 10, 16, 12},
                         {compact_rate_font_px, 14, 12, 10}, {compact_remaining_font_px, 13, 13, 11},
                         {compact_remaining_font_px, 18, 11, 9}}) {
        EXPECT_EQ(s.px_for(s.last_bytes), s.px) << s.last_bytes;
        EXPECT_EQ(s.px_for(s.last_bytes + 1), s.next_px) << s.last_bytes;
    }
}

// A reading whose sign tells the direction (its flags say nothing), with a current alone.
TEST(ViewEdges, DirectionFromACurrentAlone) {
    for (const double ma : {1520.0, -640.0}) {
        BatterySnapshot snapshot;
        snapshot.readings.emplace_back().current_ma = OptionalNumber::of(ma);
        const ReadingView view = compute_reading_view(snapshot, CapacityUnit::Wh, "", false, true);
        EXPECT_EQ(view.status_text, ma > 0 ? "Charging" : "Discharging");
    }
}
