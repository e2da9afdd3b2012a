// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/snapshot_application.h"

#include <cstddef>
#include <string>
#include <utility>

#include "app/app_state.h"
#include "app/state_lock.h"
#include "presentation/render_snapshot.h"

namespace {

// The selector shows ids and names only, so only they decide whether it must be rebuilt.
bool same_battery_list(const BatterySnapshot& a, const BatterySnapshot& b) {
    if (a.readings.size() != b.readings.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.readings.size(); ++i) {
        if (a.readings[i].id != b.readings[i].id || a.readings[i].name != b.readings[i].name) {
            return false;
        }
    }
    return true;
}

// Keeps the choice while its battery is listed; otherwise the first battery, or none.
void keep_choice_valid(AppState& state) {
    for (const BatteryReading& reading : state.shown_snapshot.readings) {
        if (reading.id == state.selected_battery) {
            return;
        }
    }
    const auto& readings = state.shown_snapshot.readings;
    state.selected_battery = readings.empty() ? std::string() : readings.front().id;
}

void rebuild_selector(AppState& state) {
    auto* combo = GTK_COMBO_BOX_TEXT(state.battery_combo);
    const auto& readings = state.shown_snapshot.readings;
    // Removing, adding and activating items all emit "changed"; none of it is the user's.
    state.syncing_widgets = true;
    gtk_combo_box_text_remove_all(combo);
    for (const BatteryReading& reading : readings) {
        gtk_combo_box_text_append(combo, reading.id.c_str(), reading.name.c_str());
    }
    if (!state.selected_battery.empty()) {
        gtk_combo_box_set_active_id(GTK_COMBO_BOX(combo), state.selected_battery.c_str());
    }
    gtk_widget_set_visible(state.battery_combo, readings.size() >= 2);
    state.syncing_widgets = false;
}

}  // namespace

gboolean apply_snapshot_idle(gpointer data) {
    auto& state = *static_cast<AppState*>(data);
    BatterySnapshot snapshot;
    lock_state(state);
    state.apply_idle_source = 0;  // cleared first: from here on a new publication re-schedules
    snapshot = std::move(state.pending_snapshot);
    unlock_state(state);

    if (state.window_destroyed) {
        return FALSE;
    }
    const bool list_changed = !same_battery_list(snapshot, state.shown_snapshot);
    state.shown_snapshot = std::move(snapshot);
    keep_choice_valid(state);
    if (list_changed) {
        rebuild_selector(state);
    }
    render_snapshot(state);
    return FALSE;
}

void on_battery_changed(GtkComboBox* combo, gpointer data) {
    auto& state = *static_cast<AppState*>(data);
    // The combo may still emit while the window's children are being destroyed.
    if (state.syncing_widgets || state.window_destroyed) {
        return;
    }
    const gchar* id = gtk_combo_box_get_active_id(combo);
    state.selected_battery = id != nullptr ? id : "";
    render_snapshot(state);
}
