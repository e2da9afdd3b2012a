#include "acquisition/attribute_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fixture_tree.h"

namespace {

AttributeMap parse(const FixtureTree& tree, const std::string& uevent) {
    const std::filesystem::path dir = tree.base / "supply";
    std::filesystem::create_directories(dir);
    write_fixture_file(dir / "uevent", uevent);
    return read_attributes(dir);
}

TEST(ReadAttributes, KeysAreLoweredValuesTrimmedFirstOccurrenceWins) {
    FixtureTree tree;
    const AttributeMap map = parse(tree,
                                   "DEVTYPE=power_supply\n"
                                   "POWER_SUPPLY_VOLTAGE_NOW=12000000\n"
                                   "POWER_SUPPLY_Energy_Now=5\n"
                                   "power_supply_capacity=40\n"
                                   "POWER_SUPPLY_MODEL_NAME=  A=B\r\n"
                                   "POWER_SUPPLY_STATUS=Discharging\n"
                                   "POWER_SUPPLY_STATUS=Charging\n"
                                   "POWER_SUPPLY_NO_EQUALS_SIGN\n"
                                   "POWER_SUPPLY_MANUFACTURER=\t Acme Power \t\r\n"
                                   "POWER_SUPPLY_ TECH =x\n"
                                   "POWER_SUPPLY_ÉTAT=1\n"
                                   "\n"
                                   "POWER_SUPPLY_EMPTY=   \n"
                                   "POWER_SUPPLY_CYCLE_COUNT=7");
    const AttributeMap expected = {
        {"voltage_now", "12000000"}, {"energy_now", "5"},      {"model_name", "A=B"},
        {"status", "Discharging"},   {"manufacturer", "Acme Power"},
        {" tech ", "x"},             {"État", "1"},
        {"empty", ""},               {"cycle_count", "7"},
    };
    EXPECT_EQ(map, expected);
}

TEST(ReadAttributes, LinesOverTheLimitAreDroppedAlone) {
    FixtureTree tree;
    const std::string prefix = "POWER_SUPPLY_LONG=";
    const std::string at_limit = prefix + std::string(kMaxLineBytes - prefix.size(), 'x');
    const std::string over_limit = "POWER_SUPPLY_OVER=" + std::string(kMaxLineBytes, 'y');
    // The CR counts towards the length: it is part of the line until the value is trimmed.
    const std::string over_with_cr =
        "POWER_SUPPLY_CR=" + std::string(kMaxLineBytes - 16, 'z') + "\r";
    const AttributeMap map = parse(tree, at_limit + "\n" + over_limit + "\n" + over_with_cr +
                                             "\nPOWER_SUPPLY_AFTER=ok\n");
    ASSERT_EQ(at_limit.size(), kMaxLineBytes);
    EXPECT_EQ(map.at("long").size(), kMaxLineBytes - prefix.size());
    EXPECT_FALSE(map.contains("over"));
    EXPECT_FALSE(map.contains("cr"));
    EXPECT_EQ(map.at("after"), "ok");
}

TEST(ReadAttributes, MissingOrNonRegularUeventGivesEmptyMap) {
    FixtureTree tree;
    EXPECT_TRUE(read_attributes(tree.base / "nowhere").empty());
    std::filesystem::create_directories(tree.base / "dir_uevent" / "uevent");
    EXPECT_TRUE(read_attributes(tree.base / "dir_uevent").empty());
}

TEST(ReadText, FallsBackToTheFirstLineOfTheSingleFileOnce) {
    FixtureTree tree;
    const std::filesystem::path dir =
        tree.add_supply("BAT0", {{"status", "Full"}},
                        {{"status", "Charging"}, {"capacity", "  57 \t\r\nsecond line"}});
    AttributeMap map = read_attributes(dir);

    EXPECT_EQ(read_text(map, dir, "status"), "Full");  // uevent wins over the single file
    EXPECT_EQ(read_text(map, dir, "capacity"), "57");
    EXPECT_EQ(map.at("capacity"), "57");
    EXPECT_EQ(read_text(map, dir, "cycle_count"), "");
    ASSERT_TRUE(map.contains("cycle_count"));  // the empty result is cached too

    // Files that appear or change later are not read again for the same map.
    write_fixture_file(dir / "cycle_count", "12\n");
    write_fixture_file(dir / "capacity", "99\n");
    EXPECT_EQ(read_text(map, dir, "cycle_count"), "");
    EXPECT_EQ(read_text(map, dir, "capacity"), "57");

    AttributeMap fresh = read_attributes(dir);
    EXPECT_EQ(read_text(fresh, dir, "cycle_count"), "12");
}

TEST(ReadText, SingleFileFirstLineOverTheLimitIsEmpty) {
    FixtureTree tree;
    const std::filesystem::path dir = tree.add_supply("BAT0", {});
    write_fixture_file(dir / "at_limit", std::string(kMaxLineBytes, '7') + "\nnext");
    write_fixture_file(dir / "over_limit", std::string(kMaxLineBytes + 1, '7') + "\n");
    write_fixture_file(dir / "no_newline", std::string(kMaxLineBytes + 100, '7'));
    write_fixture_file(dir / "blank", " \t\r\n");
    AttributeMap map;
    EXPECT_EQ(read_text(map, dir, "at_limit").size(), kMaxLineBytes);
    EXPECT_EQ(read_text(map, dir, "over_limit"), "");
    EXPECT_EQ(read_text(map, dir, "no_newline"), "");
    EXPECT_EQ(read_text(map, dir, "blank"), "");
}

TEST(ReadInteger, FollowsStrtollOnTheWholeText) {
    struct Case {
        const char* text;
        bool present;
        double value;
    };
    const std::vector<Case> cases = {
        {"42", true, 42.0},
        {"-15000000", true, -15000000.0},
        {"+7", true, 7.0},
        {"0", true, 0.0},
        {"007", true, 7.0},
        {"9223372036854775807", true, 9223372036854775807.0},
        {"-9223372036854775808", true, -9223372036854775808.0},
        {"9223372036854775808", false, 0},
        {"-9223372036854775809", false, 0},
        {"99999999999999999999999", false, 0},
        {"0x1A", false, 0},
        {"1A", false, 0},
        {"12abc", false, 0},
        {"1.5", false, 0},
        {"12.0", false, 0},
        {"1e3", false, 0},
        {"5 6", false, 0},
        {"abc", false, 0},
        {"-", false, 0},
        {"", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        AttributeMap map = {{"n", c.text}};
        const OptionalNumber n = read_integer(map, "/nonexistent", "n");
        EXPECT_EQ(n.present, c.present);
        if (c.present && n.present) {
            EXPECT_EQ(n.value, c.value);
        }
    }
}

TEST(ReadInteger, EmbeddedNulIsNotANumber) {
    AttributeMap map = {{"n", std::string("12\0" "3", 4)}};
    EXPECT_FALSE(read_integer(map, "/nonexistent", "n").present);
}

TEST(ReadScaled, RejectsNegativesAndZeroUnlessAllowed) {
    struct Case {
        const char* text;
        bool zero_allowed;
        bool present;
        double value;
    };
    const std::vector<Case> cases = {
        {"12000000", false, true, 12.0},  {"0", true, true, 0.0},
        {"0", false, false, 0},           {"-1", true, false, 0},
        {"-1", false, false, 0},          {"1", false, true, 0.000001},
        {"bogus", true, false, 0},        {"", true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.zero_allowed ? " zero allowed" : ""));
        AttributeMap map = {{"n", c.text}};
        const OptionalNumber n = read_scaled(map, "/nonexistent", "n", c.zero_allowed, 1000000.0);
        EXPECT_EQ(n.present, c.present);
        if (c.present && n.present) {
            EXPECT_DOUBLE_EQ(n.value, c.value);
        }
    }
}

TEST(TrimValue, DropsOnlySpaceTabCrLf) {
    EXPECT_EQ(trim_value(" \t\r\nA b\t\r\n "), "A b");
    EXPECT_EQ(trim_value("\v5\f"), "\v5\f");
    EXPECT_EQ(trim_value(" \r\n\t"), "");
    EXPECT_EQ(trim_value(""), "");
}

} // namespace
