// Catches a unit choice that is not in force at once, a failed save the window does not
// tell or keeps telling after a success, and saves made by demo runs, by the program's own
// change of the chooser or by choosing the unit already shown.
#include "app/unit_change.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/test_window.h"
#include "app/location_env.h"
#include "support/fixture_tree.h"

namespace fs = std::filesystem;

namespace {

// The unit, the file's bytes and the error label as the user sees it ("" when hidden).
std::string after_choosing(AppState& state, int index, const fs::path& dir) {
    locate_unit_file(dir.c_str());
    gtk_combo_box_set_active(GTK_COMBO_BOX(state.unit_combo), index);
    std::ifstream in(dir / "unit", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const bool shown = gtk_widget_get_visible(state.unit_error_label) != FALSE;
    return std::string(state.unit == CapacityUnit::mAh ? "mAh" : "Wh") + " [" + bytes + "] " +
           (shown ? gtk_label_get_text(GTK_LABEL(state.unit_error_label)) : "");
}

TEST(UnitChange, FailedSaveShowsTheMessageUntilTheNextSuccess) {
    const FixtureTree tree;
    write_fixture_file(tree.base / "file", "x");
    write_fixture_file(tree.base / "unit", "W");
    TestWindow built(CapacityUnit::Wh, false);
    EXPECT_EQ(after_choosing(built.state, 1, tree.base / "file" / "sub"),
              "mAh [] The unit could not be saved for next time.");
    // The file already holds the unit: a success that writes nothing.
    const fs::file_time_type written = fs::last_write_time(tree.base / "unit");
    EXPECT_EQ(after_choosing(built.state, 0, tree.base), "Wh [W] ");
    EXPECT_EQ(fs::last_write_time(tree.base / "unit"), written);
    EXPECT_EQ(gtk_label_get_text(GTK_LABEL(built.state.unit_error_label)), std::string());
    EXPECT_EQ(after_choosing(built.state, 1, tree.base), "mAh [m] ");
    EXPECT_EQ(after_choosing(built.state, -1, tree.base), "Wh [W] ");  // none active is Wh
}

TEST(UnitChange, SameUnitOwnChangeAndDemoModeNeitherSaveNorTouchTheLabel) {
    for (const bool demo : {false, true}) {
        const FixtureTree tree;
        TestWindow built(CapacityUnit::mAh, demo);
        AppState& state = built.state;
        gtk_label_set_text(GTK_LABEL(state.unit_error_label), "left alone");
        gtk_widget_show(state.unit_error_label);
        on_unit_changed(GTK_COMBO_BOX(state.unit_combo), &state);  // the unit already shown
        state.syncing_widgets = !demo;  // the program's own change is not the user's choice
        EXPECT_EQ(after_choosing(state, 0, tree.base), demo ? "Wh [] left alone" : "mAh [] left alone");
        state.syncing_widgets = false;
        EXPECT_FALSE(fs::exists(tree.base / "unit"));
    }
}

}  // namespace
