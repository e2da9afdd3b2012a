// SPDX-License-Identifier: GPL-3.0-or-later
// Catches a font step that moved by a byte, which no case's figure may be long enough to
// show, and a direction not taken from the sign of a current when no power can be made.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "presentation/label_font_size.h"
#include "presentation/reading_view.h"

TEST(ViewEdges, FontStepsChangeJustAfterTheirLastLength) {
    std::string sizes;  // "bytes:px" at the last length of each step and the first of the next
    for (const auto& [px_for, lengths] : {std::pair{&expanded_rate_font_px, std::vector<std::size_t>{11, 12, 15, 16}},
                                          {compact_rate_font_px, {7, 8, 10, 11, 14, 15}},
                                          {compact_remaining_font_px, {13, 14, 18, 19}}}) {
        for (const std::size_t bytes : lengths) {
            sizes += std::to_string(bytes) + ":" + std::to_string(px_for(bytes)) + " ";
        }
    }
    EXPECT_EQ(sizes, "11:48 12:32 15:32 16:24 7:20 8:16 10:16 11:12 14:12 15:10 13:13 14:11 18:11 19:9 ");
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
