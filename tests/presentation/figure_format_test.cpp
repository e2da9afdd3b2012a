#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "pinned_locale.h"
#include "presentation/figure_format.h"
#include "presentation/label_font_size.h"
#include "presentation/note_list.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

class FigureFormatTest : public PinnedLocaleTest {};

TEST_F(FigureFormatTest, NormalizedDropsOnlyNonFiniteValues) {
    EXPECT_FALSE(normalized(OptionalNumber::absent()).present);
    EXPECT_FALSE(normalized(OptionalNumber::of(kNaN)).present);
    EXPECT_FALSE(normalized(OptionalNumber::of(kInf)).present);
    EXPECT_FALSE(normalized(OptionalNumber::of(-kInf)).present);
    for (double v :
         {0.0, -0.0, -12.5, std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
          std::numeric_limits<double>::denorm_min()}) {
        const OptionalNumber n = normalized(OptionalNumber::of(v));
        EXPECT_TRUE(n.present) << v;
        EXPECT_EQ(n.value, v);
    }
}

TEST_F(FigureFormatTest, FormatsFiguresAndDashes) {
    struct Case {
        OptionalNumber number;
        int decimals;
        const char* suffix;
        const char* expected;
    };
    const Case cases[] = {
        {OptionalNumber::absent(), 2, " W", "— W"},
        {OptionalNumber::of(kNaN), 0, "%", "—%"},
        {OptionalNumber::of(kInf), 2, " Wh", "— Wh"},
        {OptionalNumber::of(-kInf), 0, " mAh", "— mAh"},
        {OptionalNumber::of(35.328), 2, " Wh", "35.33 Wh"},
        {OptionalNumber::of(2944), 0, " mAh", "2944 mAh"},
        {OptionalNumber::of(0.0), 2, " W", "0.00 W"},
        {OptionalNumber::of(99.5), 0, "%", "100%"},  // halfway: to the even neighbour
        {OptionalNumber::of(98.5), 0, "%", "98%"},
        {OptionalNumber::of(0.125), 2, " V", "0.12 V"},           // exactly halfway in binary
        {OptionalNumber::of(-12.48), 2, " W", "-12.48 W"},        // no sign is added or removed
        {OptionalNumber::of(1234567.0), 0, " mA", "1234567 mA"},  // no digit grouping
        {OptionalNumber::of(12.0), 2, "", "12.00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(format_figure(c.number, c.decimals, c.suffix), c.expected)
            << c.number.value << " " << c.decimals;
    }
}

TEST_F(FigureFormatTest, AbsurdFigureIsCutAt95Bytes) {
    const std::string text = format_figure(OptionalNumber::of(1e300), 2, " Wh");
    EXPECT_EQ(text.size(), 95U);
    EXPECT_EQ(text.substr(0, 4), "1000");
}

TEST(NoteListTest, JoinsWithExactlyOneSpace) {
    std::string notes;
    append_note(notes, "First.");
    EXPECT_EQ(notes, "First.");
    append_note(notes, "Second.");
    append_note(notes, "Third.");
    EXPECT_EQ(notes, "First. Second. Third.");
}

// Byte lengths: "—" and "≈" are three bytes each.
TEST(LabelFontSizeTest, SizesChangeAtTheByteBoundaries) {
    struct Case {
        int (*size_for)(std::size_t);
        const char* text;
        std::size_t bytes;
        int expected_px;
    };
    const Case cases[] = {
        {expanded_rate_font_px, "— W", 5, 48},
        {expanded_rate_font_px, "123456.00 W", 11, 48},
        {expanded_rate_font_px, "1234567.00 W", 12, 32},
        {expanded_rate_font_px, "123456789012 mA", 15, 32},
        {expanded_rate_font_px, "1234567890123 mA", 16, 24},
        {compact_rate_font_px, "— mA", 6, 20},
        {compact_rate_font_px, "12.48 W", 7, 20},
        {compact_rate_font_px, "+12.48 W", 8, 16},
        {compact_rate_font_px, "+1234.56 W", 10, 16},
        {compact_rate_font_px, "+12345.67 W", 11, 12},
        {compact_rate_font_px, "+12345678.00 W", 14, 12},
        {compact_rate_font_px, "+123456789.00 W", 15, 10},
        {compact_remaining_font_px, "— Wh", 6, 13},
        {compact_remaining_font_px, "≈123456 mAh", 13, 13},
        {compact_remaining_font_px, "≈1234567 mAh", 14, 11},
        {compact_remaining_font_px, "≈12345678901 mAh", 18, 11},
        {compact_remaining_font_px, "≈123456789012 mAh", 19, 9},
    };
    for (const Case& c : cases) {
        const std::string text = c.text;
        ASSERT_EQ(text.size(), c.bytes) << text;
        EXPECT_EQ(c.size_for(text.size()), c.expected_px) << text;
    }
}

}  // namespace
