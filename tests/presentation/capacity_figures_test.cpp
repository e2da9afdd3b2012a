#include <limits>

#include <gtest/gtest.h>

#include "presentation/capacity_figures.h"
#include "presentation/live_rate.h"

namespace {

constexpr OptionalNumber kAbsent = OptionalNumber::absent();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

OptionalNumber of(double v) { return OptionalNumber::of(v); }

void expect_number(OptionalNumber actual, OptionalNumber expected, const char* what) {
    ASSERT_EQ(actual.present, expected.present) << what;
    if (expected.present) {
        EXPECT_DOUBLE_EQ(actual.value, expected.value) << what;
    }
}

TEST(CapacityFiguresTest, CapacityInUnitPrefersNativeThenConvertsThroughVoltage) {
    struct Case {
        const char* what;
        OptionalNumber wh, mah, volts;
        CapacityUnit unit;
        OptionalNumber expected;
    };
    const Case cases[] = {
        {"native Wh", of(35.328), of(2000), of(12), CapacityUnit::Wh, of(35.328)},
        {"native mAh", of(35.328), of(2000), of(12), CapacityUnit::mAh, of(2000)},
        {"native zero stays", of(0), of(2000), of(12), CapacityUnit::Wh, of(0)},
        {"Wh from mAh", kAbsent, of(2944), of(12), CapacityUnit::Wh, of(35.328)},
        {"mAh from Wh", of(35.328), kAbsent, of(12), CapacityUnit::mAh, of(2944)},
        {"negative native converted", of(-1), of(2944), of(12), CapacityUnit::Wh, of(35.328)},
        {"NaN native converted", of(35.328), of(kNaN), of(12), CapacityUnit::mAh, of(2944)},
        {"no voltage", of(35.328), kAbsent, kAbsent, CapacityUnit::mAh, kAbsent},
        {"zero voltage", of(35.328), kAbsent, of(0), CapacityUnit::mAh, kAbsent},
        {"negative voltage", of(35.328), kAbsent, of(-12), CapacityUnit::mAh, kAbsent},
        {"infinite voltage", kAbsent, of(2944), of(kInf), CapacityUnit::Wh, kAbsent},
        {"negative foreign", of(-35), kAbsent, of(12), CapacityUnit::mAh, kAbsent},
        {"overflowing conversion", of(1e306), kAbsent, of(1e-10), CapacityUnit::mAh, kAbsent},
        {"nothing", kAbsent, kAbsent, of(12), CapacityUnit::Wh, kAbsent},
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
        {"plain", of(35.328), of(55.2), true, of(64)},
        {"above whole, clamped", of(60), of(55.2), true, of(100)},
        {"above whole, free", of(60), of(55.2), false, of(60 / 55.2 * 100)},
        {"zero part", of(0), of(55.2), true, of(0)},
        {"negative part", of(-1), of(55.2), false, kAbsent},
        {"zero whole", of(10), of(0), false, kAbsent},
        {"negative whole", of(10), of(-5), false, kAbsent},
        {"absent whole", of(10), kAbsent, false, kAbsent},
        {"NaN part", of(kNaN), of(5), false, kAbsent},
        {"overflow", of(1e307), of(1e-300), false, kAbsent},
    };
    for (const Case& c : cases) {
        expect_number(percent_of(c.part, c.whole, c.clamp), c.expected, c.what);
    }
}

TEST(CapacityFiguresTest, ChargeBarFractionStaysWithinZeroAndOne) {
    EXPECT_EQ(charge_bar_fraction(kAbsent), 0.0);
    EXPECT_EQ(charge_bar_fraction(of(64)), 0.64);
    EXPECT_EQ(charge_bar_fraction(of(150)), 1.0);  // a relative level is not capped
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
    const Case cases[] = {
        {"power", of(-12.48), of(-1000), of(12), false, CapacityUnit::Wh, of(-12.48)},
        {"current", of(-12.48), of(520), of(12), false, CapacityUnit::mAh, of(520)},
        {"W from mA", kAbsent, of(520), of(12), false, CapacityUnit::Wh, of(6.24)},
        {"mA from W keeps sign", of(-6.24), kAbsent, of(12), false, CapacityUnit::mAh, of(-520)},
        {"zero power", of(0), of(500), of(12), false, CapacityUnit::Wh, of(0)},
        {"NaN power converted", of(kNaN), of(520), of(12), false, CapacityUnit::Wh, of(6.24)},
        {"no voltage", of(6.24), kAbsent, kAbsent, false, CapacityUnit::mAh, kAbsent},
        {"zero voltage", of(6.24), kAbsent, of(0), false, CapacityUnit::mAh, kAbsent},
        {"negative voltage", kAbsent, of(520), of(-12), false, CapacityUnit::Wh, kAbsent},
        {"overflow", of(1e306), kAbsent, of(1e-10), false, CapacityUnit::mAh, kAbsent},
        {"relative only", of(5), of(400), of(12), true, CapacityUnit::Wh, kAbsent},
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
