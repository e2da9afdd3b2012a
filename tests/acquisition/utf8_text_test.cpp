#include "acquisition/utf8_text.h"

#include <gtest/gtest.h>

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
        {"\xc3\x85sa \xe2\x80\x94 \xf0\x9f\x94\x8b", "\xc3\x85sa \xe2\x80\x94 \xf0\x9f\x94\x8b"},
        {"A\xc3", "A" + kReplacement},                       // cut sequence at the end
        {"\xc0\xaf", kReplacement + kReplacement},           // overlong encoding
        {"\xed\xa0\x80", kReplacement + kReplacement + kReplacement},  // a UTF-16 surrogate
        {std::string("a\0b", 3), "a" + kReplacement + "b"},  // GTK would stop at the NUL
        {"SMP\xa9" "2019", "SMP" + kReplacement + "2019"},    // Latin-1 copyright sign
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        EXPECT_EQ(make_valid_utf8(c.in), c.out);
    }
}

TEST(MakeValidUtf8, FirmwareStringsAreCleanedAndIdsThatCleanUpAlikeStayDistinct) {
    FixtureTree tree;
    tree.add_supply("BAT\xff", {{"type", "Battery"}, {"status", "Discharging"},
                                {"model_name", "Model\xfe\xc3"}, {"manufacturer", "\xa9SMP"},
                                {"technology", "Li\x80ion"}});
    // The selector tells batteries apart by id; cleaning must not merge any of four twins,
    // nor may a suffix repeat a real directory's name. Twins are numbered in raw byte order.
    for (const char* name : {"BAT\x81", "BAT\x80", "BAT\xfe", "BAT\xef\xbf\xbd#1",
                             "BAT\xef\xbf\xbd#2"}) {
        tree.add_supply(name, {{"type", "Battery"}, {"status", "Discharging"}});
    }
    TreeCache cache(tree.root);
    const BatterySnapshot snapshot = run_live_pass(cache);
    const std::string bat = "BAT" + kReplacement;
    EXPECT_EQ(reading_ids(snapshot), bat + " " + bat + "#3 " + bat + "#4 " + bat + "#5 " + bat +
                                         "#1 " + bat + "#2 ");
    int mangled = 0;
    for (const BatteryReading& r : snapshot.readings) {
        EXPECT_TRUE(valid(r.id) && valid(r.name) && valid(r.manufacturer) &&
                    valid(r.technology));
        if (r.name.starts_with("Model")) {
            ++mangled;
            EXPECT_EQ(r.id, bat + "#5");
            EXPECT_EQ(r.name, "Model" + kReplacement + kReplacement);
            EXPECT_EQ(r.manufacturer, kReplacement + "SMP");
            EXPECT_EQ(r.technology, "Li" + kReplacement + "ion");
        } else {
            EXPECT_EQ(r.name, r.id);
        }
    }
    EXPECT_EQ(mangled, 1);
}

} // namespace
