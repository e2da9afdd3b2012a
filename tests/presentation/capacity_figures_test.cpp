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

TEST(CapacityFiguresTest, IsUsableNeedsAFiniteValueOfZeroOrMore) {
    EXPECT_TRUE(is_usable(of(0.0)));
    EXPECT_TRUE(is_usable(of(35.3)));
    EXPECT_FALSE(is_usable(of(-0.1)));
    EXPECT_FALSE(is_usable(of(kNaN)));
    EXPECT_FALSE(is_usable(of(kInf)));
    EXPECT_FALSE(is_usable(kAbsent));
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

TEST(CapacityFiguresTest, ChargePercentFromReportedThenRelativeThenComputed) {
    EXPECT_FALSE(charge_percent_of(nullptr).present);

    BatteryReading reported;
    reported.capacity_percent = of(100);
    reported.energy_now_wh = of(60);
    reported.energy_full_wh = of(55.2);
    expect_number(charge_percent_of(&reported), of(100), "reported");
    reported.capacity_percent = of(130);
    expect_number(charge_percent_of(&reported), of(100), "reported above 100 is capped");
    reported.capacity_percent = kAbsent;
    expect_number(charge_percent_of(&reported), of(100), "computed is capped");
    reported.capacity_percent = of(-3);
    expect_number(charge_percent_of(&reported), of(100), "negative reported is ignored");

    BatteryReading relative;
    relative.relative_only = true;
    relative.relative_charge_percent = of(64);
    expect_number(charge_percent_of(&relative), of(64), "relative");

    BatteryReading by_charge;
    by_charge.energy_now_wh = of(10);  // no full energy: falls to the charge pair
    by_charge.charge_now_mah = of(1500);
    by_charge.charge_full_mah = of(3000);
    expect_number(charge_percent_of(&by_charge), of(50), "charge pair");
}

TEST(CapacityFiguresTest, HealthIsNotCapped) {
    BatteryReading reading;
    reading.energy_full_wh = of(60);
    reading.energy_full_design_wh = of(55.2);
    expect_number(health_percent_of(&reading), of(60 / 55.2 * 100), "energy");
    reading.energy_full_design_wh = kAbsent;
    reading.charge_full_mah = of(2760);
    reading.charge_full_design_mah = of(3000);
    expect_number(health_percent_of(&reading), of(92), "charge");

    BatteryReading relative;
    relative.relative_only = true;
    relative.relative_health_percent = of(92);
    relative.energy_full_wh = of(1);  // ignored for a relative-only battery
    relative.energy_full_design_wh = of(2);
    expect_number(health_percent_of(&relative), of(92), "relative");
    EXPECT_FALSE(health_percent_of(nullptr).present);
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
