// Catches a battery choice that is lost or wrongly restored, a selector rebuilt when
// nothing changed (its rebuild would steal an open popup), the rebuild's own signals taken
// for the user's, and a snapshot applied after the window is gone.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "app/state_lock.h"
#include "presentation/snapshot_application.h"
#include "widget_probes.h"

namespace {

struct SnapshotApplication : ShownWindow {
    int rows_changed = 0;  // a rebuild removes and re-adds rows

    void SetUp() override {
        ShownWindow::SetUp();
        GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(state.battery_combo));
        for (const char* signal : {"row-inserted", "row-deleted"}) {
            g_signal_connect_swapped(model, signal, G_CALLBACK(+[](int* count) { ++*count; }),
                                     &rows_changed);
        }
    }

    // Publishes "id=name ..." as the reader does, runs the idle callback, and returns the
    // battery chosen then.
    std::string apply(const std::vector<std::pair<std::string, std::string>>& batteries) {
        BatterySnapshot snapshot;
        for (const auto& [id, name] : batteries) {
            BatteryReading& reading = snapshot.readings.emplace_back();
            reading.id = id;
            reading.name = name;
        }
        lock_state(state);
        state.pending_snapshot = std::move(snapshot);
        unlock_state(state);
        rows_changed = 0;
        EXPECT_FALSE(apply_snapshot_idle(&state));
        EXPECT_FALSE(state.syncing_widgets);
        const gchar* active = gtk_combo_box_get_active_id(GTK_COMBO_BOX(state.battery_combo));
        EXPECT_EQ(state.selected_battery, active != nullptr ? active : "");
        return state.selected_battery;
    }
};

TEST_F(SnapshotApplication, KeepsTheUsersChoiceWhileItsBatteryIsListed) {
    EXPECT_EQ(apply({{"BAT0", "Primary"}, {"BAT1", "Secondary"}}), "BAT0");
    gtk_combo_box_set_active_id(GTK_COMBO_BOX(state.battery_combo), "BAT1");  // the user
    EXPECT_EQ(apply({{"BAT0", "Primary"}, {"BAT1", "Secondary"}}), "BAT1");
    EXPECT_EQ(rows_changed, 0) << "same list: no rebuild";
    EXPECT_EQ(apply({{"BAT0", "Primary (worn)"}, {"BAT1", "Secondary"}}), "BAT1");
    EXPECT_GT(rows_changed, 0) << "a rename rebuilds";

    // Gone, the choice falls back to the first battery, and stays there on its return.
    EXPECT_EQ(apply({{"BAT0", "Primary"}}), "BAT0");
    EXPECT_EQ(apply({{"BAT0", "Primary"}, {"BAT1", "Secondary"}}), "BAT0");
    EXPECT_EQ(apply({}), "");
    EXPECT_FALSE(gtk_widget_get_visible(state.battery_combo));

    state.window_destroyed = true;  // a late snapshot after the window is gone is dropped
    apply({{"BAT2", "Late"}});
    EXPECT_EQ(rows_changed, 0);
    EXPECT_TRUE(state.shown_snapshot.readings.empty());
    state.window_destroyed = false;
}

}  // namespace
