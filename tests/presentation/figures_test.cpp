// Catches figures that no kernel tree can produce but demo data and arithmetic can: NaN,
// infinities and overflowing conversions must become dashes, never "inf" or "nan"; and
// font sizes that change one byte too early or too late.
#include <limits>

#include <gtest/gtest.h>

#include "presentation/capacity_figures.h"
#include "presentation/figure_format.h"
#include "presentation/label_font_size.h"
#include "presentation/live_rate.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
OptionalNumber of(double v) { return OptionalNumber::of(v); }

std::string shown(OptionalNumber n) { return format_figure(n, 2, ""); }

TEST(Figures, NonFiniteAndOverflowingValuesBecomeDashes) {
    const CapacityUnit wh = CapacityUnit::Wh;
    const CapacityUnit mah = CapacityUnit::mAh;
    EXPECT_EQ(format_figure(of(kNaN), 0, "%") + format_figure(of(-kInf), 0, " mAh"), "—%— mAh");
    EXPECT_EQ(format_figure(of(99.5), 0, "%") + format_figure(of(-12.48), 2, " W"), "100%-12.48 W");
    EXPECT_EQ(shown(capacity_in_unit(of(35.328), of(kNaN), of(12), mah)), "2944.00");
    EXPECT_EQ(shown(capacity_in_unit(OptionalNumber::absent(), of(2944), of(kInf), wh)), "—");
    EXPECT_EQ(shown(capacity_in_unit(of(1e306), OptionalNumber::absent(), of(1e-10), mah)), "—");
    EXPECT_EQ(shown(capacity_in_unit(of(-35), OptionalNumber::absent(), of(12), mah)), "—");
    EXPECT_EQ(shown(percent_of(of(1e307), of(1e-300), false)), "—");
    EXPECT_EQ(shown(percent_of(of(60), of(55.2), true)), "100.00");
    EXPECT_EQ(charge_bar_fraction(of(kNaN)) + charge_bar_fraction(of(-5)), 0.0);
    EXPECT_EQ(charge_bar_fraction(of(150)), 1.0);

    BatteryReading reading;
    reading.power_w = of(kNaN);
    reading.current_ma = of(520);
    reading.voltage_v = of(12);
    EXPECT_EQ(shown(rate_in_unit(reading, wh)), "6.24");
    reading.power_w = of(1e306);
    reading.current_ma = OptionalNumber::absent();
    reading.voltage_v = of(1e-10);
    EXPECT_EQ(shown(rate_in_unit(reading, mah)), "—");
}

// Sizes by byte length ("—" and "≈" are three bytes each), either side of every boundary.
TEST(Figures, FontSizesChangeAtTheByteBoundaries) {
    std::string sizes;
    for (const auto size_for : {expanded_rate_font_px, compact_rate_font_px,
                                compact_remaining_font_px}) {
        for (const std::size_t bytes : {7, 8, 10, 11, 12, 13, 14, 15, 16, 18, 19}) {
            sizes += std::to_string(size_for(bytes)) + " ";
        }
        sizes += "| ";
    }
    EXPECT_EQ(sizes, "48 48 48 48 32 32 32 32 24 24 24 | 20 16 16 12 12 12 12 10 10 10 10 | "
                     "13 13 13 13 13 13 11 11 11 11 9 | ");
}

}  // namespace
