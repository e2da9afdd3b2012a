#include "app/unit_change.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>

#include "app/built_window.h"
#include "app/location_env.h"
#include "support/fixture_tree.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kNotSaved = "The unit could not be saved for next time.";

std::string file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The error label as the user sees it: "" when hidden.
std::string shown_error(const AppState& state) {
    return gtk_widget_get_visible(state.unit_error_label) != FALSE
               ? std::string("shown: ") + gtk_label_get_text(GTK_LABEL(state.unit_error_label))
               : "";
}

// Chooses the combo item with the unit file located in dir.
void choose(AppState& state, int index, const fs::path& dir) {
    const LocationEnv env(dir.c_str(), nullptr, nullptr);
    gtk_combo_box_set_active(GTK_COMBO_BOX(state.unit_combo), index);
}

TEST(UnitChange, FailedSaveShowsTheMessageAndTheNextSuccessHidesIt) {
    const FixtureTree tree;
    write_fixture_file(tree.base / "file", "x");
    const fs::path good = tree.base / "config";
    fs::create_directories(good);
    write_fixture_file(good / "unit", "W");
    struct stat before {};
    ASSERT_EQ(stat((good / "unit").c_str(), &before), 0);
    BuiltWindow built(CapacityUnit::Wh);
    AppState& state = built.state;
    ASSERT_EQ(shown_error(state), "");

    choose(state, 1, tree.base / "file" / "sub");  // a plain file in the way
    EXPECT_EQ(state.unit, CapacityUnit::mAh);      // in force although not saved
    EXPECT_EQ(shown_error(state), std::string("shown: ") + kNotSaved);

    // The file already holds the unit: a success that writes nothing.
    choose(state, 0, good);
    EXPECT_EQ(state.unit, CapacityUnit::Wh);
    EXPECT_EQ(shown_error(state), "");
    EXPECT_EQ(gtk_label_get_text(GTK_LABEL(state.unit_error_label)), std::string());
    struct stat after {};
    ASSERT_EQ(stat((good / "unit").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);

    choose(state, 1, good);
    EXPECT_EQ(file_bytes(good / "unit"), "m");
    choose(state, -1, good);  // no active item counts as Wh
    EXPECT_EQ(state.unit, CapacityUnit::Wh);
    EXPECT_EQ(file_bytes(good / "unit"), "W");
}

TEST(UnitChange, SameUnitOwnChangeAndDemoModeNeitherSaveNorTouchTheLabel) {
    for (const bool demo : {false, true}) {
        SCOPED_TRACE(demo ? "demo" : "live");
        const FixtureTree tree;
        const LocationEnv env(tree.base.c_str(), nullptr, nullptr);
        BuiltWindow built(CapacityUnit::mAh, demo);
        AppState& state = built.state;
        gtk_label_set_text(GTK_LABEL(state.unit_error_label), "left alone");
        gtk_widget_show(state.unit_error_label);

        // The handler called again for the index that is already the unit.
        on_unit_changed(GTK_COMBO_BOX(state.unit_combo), &state);
        EXPECT_EQ(state.unit, CapacityUnit::mAh);
        if (demo) {
            choose(state, 0, tree.base);
            EXPECT_EQ(state.unit, CapacityUnit::Wh);
        } else {  // the program's own change of the combo is not a user's choice
            state.syncing_widgets = true;
            choose(state, 0, tree.base);
            state.syncing_widgets = false;
            EXPECT_EQ(state.unit, CapacityUnit::mAh);
        }
        EXPECT_FALSE(fs::exists(tree.base / "unit"));
        EXPECT_EQ(shown_error(state), "shown: left alone");
    }
}

}  // namespace
