// Applying snapshots to the real window: the battery choice and the selector.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "app/app_state.h"
#include "app/lifecycle.h"
#include "app/state_lock.h"
#include "presentation/main_window.h"
#include "presentation/snapshot_application.h"
#include "support/test_window.h"

namespace {

using Battery = std::pair<std::string, std::string>;  // id, name

class SnapshotApplication : public testing::Test {
  protected:
    void SetUp() override {
        init_app_state(state);
        build_main_window(state);
        GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(state.battery_combo));
        for (const char* signal : {"row-inserted", "row-deleted"}) {
            g_signal_connect_swapped(model, signal, G_CALLBACK(+[](int* count) { ++*count; }),
                                     &rows_changed);
        }
    }

    void TearDown() override {
        destroy_test_window(state);
    }

    // Publishes as the reader does, then runs the idle callback directly.
    void apply(const std::vector<Battery>& batteries, const std::string& message = "") {
        BatterySnapshot snapshot;
        for (const Battery& battery : batteries) {
            BatteryReading reading;
            reading.id = battery.first;
            reading.name = battery.second;
            snapshot.readings.push_back(reading);
        }
        snapshot.error_message = message;
        lock_state(state);
        state.pending_snapshot = std::move(snapshot);
        state.apply_idle_source = 4711;  // stands for the scheduled idle
        unlock_state(state);
        rows_changed = 0;
        EXPECT_FALSE(apply_snapshot_idle(&state));
        EXPECT_EQ(state.apply_idle_source, 0U);
        EXPECT_TRUE(state.pending_snapshot.readings.empty());
    }

    // "id=name" per item, then "*" and the active id.
    std::string selector() {
        std::string items;
        GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(state.battery_combo));
        GtkTreeIter iter;
        for (gboolean more = gtk_tree_model_get_iter_first(model, &iter); more;
             more = gtk_tree_model_iter_next(model, &iter)) {
            g_autofree gchar* text = nullptr;
            g_autofree gchar* id = nullptr;
            // GtkComboBoxText keeps the text in column 0 and the id in column 1.
            gtk_tree_model_get(model, &iter, 0, &text, 1, &id, -1);
            items += std::string(id) + "=" + text + " ";
        }
        const gchar* active = gtk_combo_box_get_active_id(GTK_COMBO_BOX(state.battery_combo));
        return items + "*" + (active != nullptr ? active : "");
    }

    bool selector_shown() { return gtk_widget_get_visible(state.battery_combo) != FALSE; }

    // As the user does it: "changed" runs with syncing_widgets clear.
    void user_picks(const char* id) {
        gtk_combo_box_set_active_id(GTK_COMBO_BOX(state.battery_combo), id);
    }

    AppState state;
    int rows_changed = 0;  // a rebuild removes and re-adds rows
};

TEST_F(SnapshotApplication, NoneThenOneBatteryKeepTheSelectorHidden) {
    apply({}, "The battery interface could not be read.");
    EXPECT_EQ(rows_changed, 0);
    EXPECT_FALSE(selector_shown());
    EXPECT_EQ(state.selected_battery, "");
    EXPECT_EQ(state.shown_snapshot.error_message, "The battery interface could not be read.");

    apply({{"BAT0", "Primary"}});
    EXPECT_EQ(selector(), "BAT0=Primary *BAT0");
    EXPECT_FALSE(selector_shown());
    EXPECT_EQ(state.selected_battery, "BAT0");
}

TEST_F(SnapshotApplication, TwoBatteriesKeepTheUsersChoiceWithoutARebuild) {
    apply({{"BAT0", "Primary"}, {"BAT1", "Secondary"}});
    EXPECT_EQ(selector(), "BAT0=Primary BAT1=Secondary *BAT0");
    EXPECT_TRUE(selector_shown());
    user_picks("BAT1");
    EXPECT_EQ(state.selected_battery, "BAT1");

    apply({{"BAT0", "Primary"}, {"BAT1", "Secondary"}});
    EXPECT_EQ(rows_changed, 0) << "same list: no rebuild";
    EXPECT_EQ(selector(), "BAT0=Primary BAT1=Secondary *BAT1");
    EXPECT_EQ(state.selected_battery, "BAT1");

    // A rename rebuilds; the rebuild's own "changed" signals must not count as the user's.
    apply({{"BAT0", "Primary (worn)"}, {"BAT1", "Secondary"}});
    EXPECT_GT(rows_changed, 0);
    EXPECT_EQ(selector(), "BAT0=Primary (worn) BAT1=Secondary *BAT1");
    EXPECT_EQ(state.selected_battery, "BAT1");
    EXPECT_FALSE(state.syncing_widgets);
}

TEST_F(SnapshotApplication, ChosenBatteryThatVanishesIsNotChosenAgainOnReturn) {
    apply({{"BAT0", "Primary"}, {"BAT1", "Secondary"}});
    user_picks("BAT1");
    apply({{"BAT0", "Primary"}});
    EXPECT_EQ(selector(), "BAT0=Primary *BAT0");
    EXPECT_FALSE(selector_shown());
    EXPECT_EQ(state.selected_battery, "BAT0");

    apply({{"BAT0", "Primary"}, {"BAT1", "Secondary"}});
    EXPECT_EQ(selector(), "BAT0=Primary BAT1=Secondary *BAT0");
    EXPECT_TRUE(selector_shown());

    apply({}, "Battery readings could not be read.");
    EXPECT_EQ(selector(), "*");
    EXPECT_FALSE(selector_shown());
    EXPECT_EQ(state.selected_battery, "");
}

TEST_F(SnapshotApplication, DropsASnapshotArrivingAfterTheWindowIsGone) {
    apply({{"BAT0", "Primary"}});
    state.window_destroyed = true;
    apply({{"BAT0", "Primary"}, {"BAT1", "Secondary"}});
    EXPECT_EQ(rows_changed, 0);
    EXPECT_EQ(state.shown_snapshot.readings.size(), 1U);
    state.window_destroyed = false;
}

}  // namespace
