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

std::string file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string error_text(const AppState& state) {
    return gtk_label_get_text(GTK_LABEL(state.unit_error_label));
}

bool error_shown(const AppState& state) {
    return gtk_widget_get_visible(state.unit_error_label) != FALSE;
}

void choose(AppState& state, int index) {
    gtk_combo_box_set_active(GTK_COMBO_BOX(state.unit_combo), index);
}

TEST(UnitChange, FailedSaveShowsTheMessageAndTheNextSuccessHidesIt) {
    const FixtureTree tree;
    std::ofstream(tree.base / "file") << "x";
    const fs::path blocked = tree.base / "file" / "sub";  // a plain file in the way
    const fs::path good = tree.base / "config";
    BuiltWindow built(CapacityUnit::Wh);
    AppState& state = built.state;
    ASSERT_FALSE(error_shown(state));

    {
        const LocationEnv env(blocked.c_str(), nullptr, nullptr);
        choose(state, 1);
    }
    EXPECT_EQ(state.unit, CapacityUnit::mAh);  // in force although not saved
    EXPECT_TRUE(error_shown(state));
    EXPECT_EQ(error_text(state), "The unit could not be saved for next time.");

    {
        const LocationEnv env(nullptr, nullptr, nullptr);  // no location at all
        choose(state, 0);
    }
    EXPECT_EQ(state.unit, CapacityUnit::Wh);
    EXPECT_TRUE(error_shown(state));
    EXPECT_EQ(error_text(state), "The unit could not be saved for next time.");

    {
        const LocationEnv env(good.c_str(), nullptr, nullptr);
        choose(state, 1);
    }
    EXPECT_EQ(state.unit, CapacityUnit::mAh);
    EXPECT_FALSE(error_shown(state));
    EXPECT_EQ(error_text(state), "");
    EXPECT_EQ(file_bytes(good / "unit"), "m");

    // No active item counts as Wh.
    {
        const LocationEnv env(good.c_str(), nullptr, nullptr);
        choose(state, -1);
    }
    EXPECT_EQ(state.unit, CapacityUnit::Wh);
    EXPECT_EQ(file_bytes(good / "unit"), "W");
}

TEST(UnitChange, FileAlreadyRightIsASuccessThatWritesNothing) {
    const FixtureTree tree;
    std::ofstream(tree.base / "unit") << "W";
    struct stat before {};
    ASSERT_EQ(stat((tree.base / "unit").c_str(), &before), 0);
    BuiltWindow built(CapacityUnit::Wh);
    AppState& state = built.state;
    {
        const LocationEnv env(nullptr, nullptr, nullptr);
        choose(state, 1);
    }
    ASSERT_TRUE(error_shown(state));

    {
        const LocationEnv env(tree.base.c_str(), nullptr, nullptr);
        choose(state, 0);
    }
    EXPECT_FALSE(error_shown(state));
    EXPECT_EQ(error_text(state), "");
    struct stat after {};
    ASSERT_EQ(stat((tree.base / "unit").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

TEST(UnitChange, SameUnitOrOwnChangeDoesNothing) {
    const FixtureTree tree;
    const LocationEnv env(tree.base.c_str(), nullptr, nullptr);
    BuiltWindow built(CapacityUnit::mAh);
    AppState& state = built.state;
    gtk_label_set_text(GTK_LABEL(state.unit_error_label), "left alone");
    gtk_widget_show(state.unit_error_label);

    // The handler called again for the index that is already the unit: no save, no label.
    on_unit_changed(GTK_COMBO_BOX(state.unit_combo), &state);
    EXPECT_EQ(state.unit, CapacityUnit::mAh);

    // The program's own change of the combo is not a user's choice.
    state.syncing_widgets = true;
    choose(state, 0);
    state.syncing_widgets = false;
    EXPECT_EQ(state.unit, CapacityUnit::mAh);

    EXPECT_FALSE(fs::exists(tree.base / "unit"));
    EXPECT_EQ(error_text(state), "left alone");
    EXPECT_TRUE(error_shown(state));
}

TEST(UnitChange, DemoModeNeitherSavesNorTouchesTheLabel) {
    const FixtureTree tree;
    const LocationEnv env(tree.base.c_str(), nullptr, nullptr);
    BuiltWindow built(CapacityUnit::Wh, /*demo_mode=*/true);
    AppState& state = built.state;
    gtk_label_set_text(GTK_LABEL(state.unit_error_label), "left alone");

    choose(state, 1);
    EXPECT_EQ(state.unit, CapacityUnit::mAh);
    choose(state, 0);
    EXPECT_EQ(state.unit, CapacityUnit::Wh);

    EXPECT_FALSE(fs::exists(tree.base / "unit"));
    EXPECT_EQ(error_text(state), "left alone");
    EXPECT_FALSE(error_shown(state));
}

}  // namespace
