// The figure rules below the reading view: formatting, font sizes, units and percentages.
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "presentation/capacity_figures.h"
#include "presentation/figure_format.h"
#include "presentation/label_font_size.h"
#include "presentation/live_rate.h"

namespace {

constexpr OptionalNumber kAbsent = OptionalNumber::absent();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
OptionalNumber of(double v) { return OptionalNumber::of(v); }

void expect_number(OptionalNumber actual, OptionalNumber expected, const char* what) {
    ASSERT_EQ(actual.present, expected.present) << what;
    if (expected.present) {
        EXPECT_DOUBLE_EQ(actual.value, expected.value) << what;
    }
}

TEST(FigureFormatTest, FormatsFiguresAndDashes) {
    struct Case {
        OptionalNumber number;
        int decimals;
        const char* suffix;
        const char* expected;
    };
    const Case cases[] = {
        {kAbsent, 2, " W", "— W"},
        {of(kNaN), 0, "%", "—%"},
        {of(kInf), 2, " Wh", "— Wh"},
        {of(-kInf), 0, " mAh", "— mAh"},
        {of(35.328), 2, " Wh", "35.33 Wh"},
        {of(99.5), 0, "%", "100%"},  // halfway: to the even neighbour
        {of(98.5), 0, "%", "98%"},
        {of(-12.48), 2, " W", "-12.48 W"},       // no sign is added or removed
        {of(1234567.0), 0, " mA", "1234567 mA"},  // no digit grouping
    };
    for (const Case& c : cases) {
        EXPECT_EQ(format_figure(c.number, c.decimals, c.suffix), c.expected) << c.number.value;
    }
    const std::string absurd = format_figure(of(1e300), 2, " Wh");
    EXPECT_EQ(absurd.size(), 95U);
    EXPECT_EQ(absurd.substr(0, 4), "1000");
}

// Sizes by byte length ("—" and "≈" are three bytes each), either side of every boundary.
TEST(LabelFontSizeTest, SizesChangeAtTheByteBoundaries) {
    struct Case {
        int (*size_for)(std::size_t);
        std::size_t bytes;
        int expected_px;
    };
    const Case cases[] = {
        {expanded_rate_font_px, 11, 48},     {expanded_rate_font_px, 12, 32},
        {expanded_rate_font_px, 15, 32},     {expanded_rate_font_px, 16, 24},
        {compact_rate_font_px, 7, 20},       {compact_rate_font_px, 8, 16},
        {compact_rate_font_px, 10, 16},      {compact_rate_font_px, 11, 12},
        {compact_rate_font_px, 14, 12},      {compact_rate_font_px, 15, 10},
        {compact_remaining_font_px, 13, 13}, {compact_remaining_font_px, 14, 11},
        {compact_remaining_font_px, 18, 11}, {compact_remaining_font_px, 19, 9},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.size_for(c.bytes), c.expected_px) << c.bytes << " bytes";
    }
}

TEST(CapacityFiguresTest, CapacityInUnitPrefersNativeThenConvertsThroughVoltage) {
    struct Case {
        const char* what;
        OptionalNumber wh, mah, volts;
        CapacityUnit unit;
        OptionalNumber expected;
    };
    const CapacityUnit wh = CapacityUnit::Wh;
    const CapacityUnit mah = CapacityUnit::mAh;
    const Case cases[] = {
        // Native and converted figures are checked as texts in the reading view tests.
        {"native zero stays", of(0), of(2000), of(12), wh, of(0)},
        {"Wh from mAh", kAbsent, of(2944), of(12), wh, of(35.328)},
        {"NaN native converted", of(35.328), of(kNaN), of(12), mah, of(2944)},
        {"no voltage", of(35.328), kAbsent, kAbsent, mah, kAbsent},
        {"zero voltage", of(35.328), kAbsent, of(0), mah, kAbsent},
        {"negative voltage", of(35.328), kAbsent, of(-12), mah, kAbsent},
        {"infinite voltage", kAbsent, of(2944), of(kInf), wh, kAbsent},
        {"negative foreign", of(-35), kAbsent, of(12), mah, kAbsent},
        {"overflowing conversion", of(1e306), kAbsent, of(1e-10), mah, kAbsent},
    };
    for (const Case& c : cases) {
        expect_number(capacity_in_unit(c.wh, c.mah, c.volts, c.unit), c.expected, c.what);
    }
}

TEST(CapacityFiguresTest, PercentOfGuardsTheWholeAndClampsOnRequest) {
    struct Case {
        const char* what;
        OptionalNumber part, whole;
        bool clamp;
        OptionalNumber expected;
    };
    const Case cases[] = {
        {"above whole, clamped", of(60), of(55.2), true, of(100)},
        {"negative part", of(-1), of(55.2), false, kAbsent},
        {"zero whole", of(10), of(0), false, kAbsent},
        {"negative whole", of(10), of(-5), false, kAbsent},
        {"overflow", of(1e307), of(1e-300), false, kAbsent},
    };
    for (const Case& c : cases) {
        expect_number(percent_of(c.part, c.whole, c.clamp), c.expected, c.what);
    }
    EXPECT_EQ(charge_bar_fraction(kAbsent), 0.0);
    EXPECT_EQ(charge_bar_fraction(of(64)), 0.64);
    EXPECT_EQ(charge_bar_fraction(of(150)), 1.0);
    EXPECT_EQ(charge_bar_fraction(of(-5)), 0.0);
    EXPECT_EQ(charge_bar_fraction(of(kNaN)), 0.0);
}

TEST(LiveRateTest, RateInUnitUsesTheUnitsOwnFieldThenConverts) {
    struct Case {
        const char* what;
        OptionalNumber power_w, current_ma, volts;
        bool relative_only;
        CapacityUnit unit;
        OptionalNumber expected;
    };
    const CapacityUnit wh = CapacityUnit::Wh;
    const CapacityUnit mah = CapacityUnit::mAh;
    const Case cases[] = {
        {"power", of(-12.48), of(-1000), of(12), false, wh, of(-12.48)},
        {"current", of(-12.48), of(520), of(12), false, mah, of(520)},
        {"W from mA", kAbsent, of(520), of(12), false, wh, of(6.24)},
        {"mA from W keeps sign", of(-6.24), kAbsent, of(12), false, mah, of(-520)},
        {"NaN power converted", of(kNaN), of(520), of(12), false, wh, of(6.24)},
        {"zero voltage", of(6.24), kAbsent, of(0), false, mah, kAbsent},
        {"negative voltage", kAbsent, of(520), of(-12), false, wh, kAbsent},
        {"overflow", of(1e306), kAbsent, of(1e-10), false, mah, kAbsent},
        {"relative only", of(5), of(400), of(12), true, wh, kAbsent},
    };
    for (const Case& c : cases) {
        BatteryReading reading;
        reading.power_w = c.power_w;
        reading.current_ma = c.current_ma;
        reading.voltage_v = c.volts;
        reading.relative_only = c.relative_only;
        expect_number(rate_in_unit(reading, c.unit), c.expected, c.what);
    }
}

}  // namespace
