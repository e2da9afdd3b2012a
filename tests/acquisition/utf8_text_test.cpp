#include "acquisition/utf8_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <glib.h>

#include "acquisition/supply_cache.h"
#include "support/fixture_tree.h"

namespace {

const std::string kReplacement = "\xef\xbf\xbd";  // U+FFFD

bool valid(const std::string& text) {
    return g_utf8_validate_len(text.data(), text.size(), nullptr);
}

TEST(MakeValidUtf8, ReplacesInvalidBytesAndKeepsValidText) {
    struct Case {
        std::string in;
        std::string out;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"BAT0", "BAT0"},
        {"\xc3\x85sa \xe2\x80\x94 \xf0\x9f\x94\x8b", "\xc3\x85sa \xe2\x80\x94 \xf0\x9f\x94\x8b"},
        {"\xff", kReplacement},
        {"A\xc3", "A" + kReplacement},                       // cut sequence at the end
        {"\xc0\xaf", kReplacement + kReplacement},           // overlong encoding
        {"\xed\xa0\x80", kReplacement + kReplacement + kReplacement},  // a UTF-16 surrogate
        {std::string("a\0b", 3), "a" + kReplacement + "b"},  // GTK would stop at the NUL
        {"SMP\xa9" "2019", "SMP" + kReplacement + "2019"},    // Latin-1 copyright sign
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        const std::string result = make_valid_utf8(c.in);
        EXPECT_EQ(result, c.out);
        EXPECT_TRUE(valid(result));
    }
}

TEST(MakeValidUtf8, EveryFirmwareStringInASnapshotIsValid) {
    FixtureTree tree;
    tree.add_supply("BAT\xff", {{"type", "Battery"},
                                {"status", "Discharging"},
                                {"capacity", "50"},
                                {"model_name", "Model\xfe\xc3"},
                                {"manufacturer", "\xa9SMP"},
                                {"technology", "Li\x80ion"}});
    tree.add_supply("BAT\xc3\x85", {{"type", "Battery"},
                                    {"status", "Discharging"},
                                    {"capacity", "50"},
                                    {"manufacturer", "Sch\xc3\xb6n"}});
    SupplyCache cache;
    cache.root = tree.root;
    const BatterySnapshot snapshot = run_live_pass(cache);
    ASSERT_EQ(snapshot.readings.size(), 2U);
    const BatteryReading& valid_one = snapshot.readings[0];  // "BATÅ" sorts before U+FFFD
    EXPECT_EQ(valid_one.id, "BAT\xc3\x85");
    EXPECT_EQ(valid_one.name, "BAT\xc3\x85");
    EXPECT_EQ(valid_one.manufacturer, "Sch\xc3\xb6n");
    const BatteryReading& mangled = snapshot.readings[1];
    EXPECT_EQ(mangled.id, "BAT" + kReplacement);
    EXPECT_EQ(mangled.name, "Model" + kReplacement + kReplacement);
    EXPECT_EQ(mangled.manufacturer, kReplacement + "SMP");
    EXPECT_EQ(mangled.technology, "Li" + kReplacement + "ion");
    for (const BatteryReading& r : snapshot.readings) {
        EXPECT_TRUE(valid(r.id) && valid(r.name) && valid(r.manufacturer) &&
                    valid(r.technology));
    }
}

TEST(MakeValidUtf8, DirectoryNamesThatCleanUpAlikeStayDistinct) {
    // The selector tells batteries apart by id; cleaning must not merge two of them.
    FixtureTree tree;
    for (const char* name : {"B\xff", "B\xfe", "B\xef\xbf\xbd#2"}) {
        tree.add_supply(name, {{"type", "Battery"}, {"status", "Discharging"}});
    }
    SupplyCache cache;
    cache.root = tree.root;
    const BatterySnapshot snapshot = run_live_pass(cache);
    ASSERT_EQ(snapshot.readings.size(), 3U);
    std::vector<std::string> ids;
    for (const BatteryReading& r : snapshot.readings) {
        EXPECT_TRUE(valid(r.id));
        EXPECT_EQ(r.name, r.id);
        ids.push_back(r.id);
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
}

} // namespace
