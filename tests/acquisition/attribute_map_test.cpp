#include "acquisition/attribute_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fixture_tree.h"

namespace {

TEST(ReadAttributes, KeysLoweredValuesTrimmedFirstWinsLongLinesDropped) {
    FixtureTree tree;
    const std::filesystem::path dir = tree.add_supply("BAT0", {});
    const std::string at_limit = "POWER_SUPPLY_LONG=" + std::string(kMaxLineBytes - 18, 'x');
    // The CR counts towards the length until the value is trimmed.
    const std::string over_with_cr = "POWER_SUPPLY_CR=" + std::string(kMaxLineBytes - 16, 'z');
    write_fixture_file(dir / "uevent", "DEVTYPE=power_supply\n"
                                       "POWER_SUPPLY_Energy_Now=5\n"
                                       "power_supply_capacity=40\n"
                                       "POWER_SUPPLY_MODEL_NAME=  A=B\r\n"
                                       "POWER_SUPPLY_STATUS=Discharging\n"
                                       "POWER_SUPPLY_STATUS=Charging\n"
                                       "POWER_SUPPLY_NO_EQUALS_SIGN\n"
                                       "POWER_SUPPLY_MANUFACTURER=\t Acme Power \t\r\n"
                                       "POWER_SUPPLY_EMPTY=   \n" +
                                           at_limit + "\n" + over_with_cr + "\r\n" +
                                           "POWER_SUPPLY_OVER=" + std::string(kMaxLineBytes, 'y') +
                                           "\nPOWER_SUPPLY_CYCLE_COUNT=7");
    ASSERT_EQ(at_limit.size(), kMaxLineBytes);
    const AttributeMap expected = {
        {"energy_now", "5"},   {"model_name", "A=B"}, {"status", "Discharging"},
        {"manufacturer", "Acme Power"}, {"empty", ""}, {"long", at_limit.substr(18)},
        {"cycle_count", "7"},
    };
    EXPECT_EQ(read_attributes(dir), expected);
    EXPECT_TRUE(read_attributes(tree.base / "nowhere").empty());
}

TEST(ReadText, FallsBackToTheSingleFileOnceAndCachesEvenEmptyResults) {
    FixtureTree tree;
    const std::filesystem::path dir =
        tree.add_supply("BAT0", {{"status", "Full"}},
                        {{"status", "Charging"}, {"capacity", "  57 \t\r\nsecond line"}});
    write_fixture_file(dir / "at_limit", std::string(kMaxLineBytes, '7') + "\nnext");
    write_fixture_file(dir / "over_limit", std::string(kMaxLineBytes + 1, '7') + "\n");
    AttributeMap map = read_attributes(dir);
    EXPECT_EQ(read_text(map, dir, "status"), "Full");  // uevent wins
    EXPECT_EQ(read_text(map, dir, "capacity"), "57");
    EXPECT_EQ(read_text(map, dir, "cycle_count"), "");
    EXPECT_EQ(read_text(map, dir, "at_limit").size(), kMaxLineBytes);
    EXPECT_EQ(read_text(map, dir, "over_limit"), "");

    write_fixture_file(dir / "cycle_count", "12\n");
    write_fixture_file(dir / "capacity", "99\n");
    EXPECT_EQ(read_text(map, dir, "cycle_count"), "");
    EXPECT_EQ(read_text(map, dir, "capacity"), "57");
    AttributeMap fresh = read_attributes(dir);
    EXPECT_EQ(read_text(fresh, dir, "cycle_count"), "12");
}

TEST(ReadNumbers, IntegersFollowStrtollOnTheWholeTextAndScaledRejectZeroUnlessAllowed) {
    struct Case {
        std::string text;
        bool present;
        double value;
    };
    const std::vector<Case> integers = {
        {"-15000000", true, -15000000.0}, {"+7", true, 7.0}, {"007", true, 7.0},
        {"9223372036854775807", true, 9223372036854775807.0},
        {"-9223372036854775808", true, -9223372036854775808.0},
        {"9223372036854775808", false, 0}, {"-9223372036854775809", false, 0},
        {"0x1A", false, 0}, {"12abc", false, 0}, {"1.5", false, 0}, {"1e3", false, 0},
        {"5 6", false, 0}, {"-", false, 0}, {"", false, 0}, {std::string("12\0" "3", 4), false, 0},
    };
    for (const Case& c : integers) {
        SCOPED_TRACE(c.text);
        AttributeMap map = {{"n", c.text}};
        const OptionalNumber n = read_integer(map, "/nonexistent", "n");
        EXPECT_EQ(n.present, c.present);
        EXPECT_EQ(n.present ? n.value : 0, c.value);
    }
    AttributeMap map = {{"one", "1"}, {"zero", "0"}, {"minus", "-1"}};
    EXPECT_DOUBLE_EQ(read_scaled(map, "/nonexistent", "one", false, 1e6).value, 0.000001);
    EXPECT_TRUE(read_scaled(map, "/nonexistent", "zero", true, 1e6).present);
    EXPECT_FALSE(read_scaled(map, "/nonexistent", "zero", false, 1e6).present);
    EXPECT_FALSE(read_scaled(map, "/nonexistent", "minus", true, 1e6).present);
}

} // namespace
