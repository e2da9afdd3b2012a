// Catches texts, font sizes, tooltips, accessible names and selector items that the real
// window gets wrong: every case folder's snapshot is applied to a real window, each battery,
// unit and page chosen as a user chooses them, and the widgets read back must match.
#include <clocale>
#include <cstdio>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "acquisition/demo_scenarios.h"
#include "app/state_lock.h"
#include "presentation/render_snapshot.h"
#include "presentation/snapshot_application.h"
#include "presentation/view_mode.h"
#include "support/case_folder.h"
#include "widget_probes.h"

namespace {

void add_label(std::string& text, const char* key, GtkWidget* label) {
    add_line(text, key, text_of(label));
}

void add_font(std::string& text, const char* key, GtkWidget* label) {
    add_line(text, key, std::to_string(only_absolute_size_px(label)) + " px");
}

std::string selector_line(const AppState& state) {
    if (!gtk_widget_get_visible(state.battery_combo)) {
        return "hidden";
    }
    std::string items;
    GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(state.battery_combo));
    GtkTreeIter iter;
    for (gboolean more = gtk_tree_model_get_iter_first(model, &iter); more;
         more = gtk_tree_model_iter_next(model, &iter)) {
        g_autofree gchar* name = nullptr;
        g_autofree gchar* id = nullptr;
        // GtkComboBoxText keeps the text in column 0 and the id in column 1.
        gtk_tree_model_get(model, &iter, 0, &name, 1, &id, -1);
        items += std::string(items.empty() ? "" : ", ") + id;
        if (std::string(name) != id) {
            items += std::string(" (") + name + ")";
        }
    }
    return items;
}

std::string expanded_page(const AppState& state) {
    std::string text;
    add_label(text, "caption", state.heading_label);
    add_label(text, "rate", state.rate_label);
    add_font(text, "rate font", state.rate_label);
    add_line(text, "rate tooltip", tooltip_of(state.rate_label));
    add_label(text, "status", state.status_label);
    add_label(text, "title", state.battery_label);
    add_line(text, "title tooltip", tooltip_of(state.battery_label));
    add_line(text, "selector tooltip", tooltip_of(state.battery_combo));
    add_label(text, "percent", state.percent_label);
    char bar[32];
    std::snprintf(bar, sizeof bar, "%.4f",
                  gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(state.charge_bar)));
    add_line(text, "bar", bar);
    add_label(text, "remaining", state.remaining_value);
    add_label(text, "full charge", state.full_charge_value);
    add_label(text, "design capacity", state.design_capacity_value);
    add_label(text, "health", state.health_value);
    add_label(text, "voltage", state.voltage_value);
    add_label(text, "notes", state.notes_label);
    add_label(text, "details", state.details_label);
    return text;
}

std::string compact_page(const AppState& state) {
    std::string text;
    for (const auto& [label, key] : {std::pair{state.compact_rate_label, std::string("rate")},
                                     std::pair{state.compact_remaining_label,
                                               std::string("remaining")}}) {
        add_label(text, key.c_str(), label);
        add_font(text, (key + " font").c_str(), label);
        add_line(text, key + " tooltip", tooltip_of(label));
        add_line(text, key + " name", accessible_name_of(label));
    }
    return text;
}

void watch_page(NotifyCounter& counter, const AppState& state, bool compact) {
    if (compact) {
        counter.watch_widget(state.compact_rate_label);
        counter.watch_widget(state.compact_remaining_label);
        return;
    }
    for (GtkWidget* w :
         {state.heading_label, state.rate_label, state.status_label, state.battery_label,
          state.battery_combo, state.percent_label, state.charge_bar, state.notes_label,
          state.details_label, state.remaining_value, state.full_charge_value,
          state.design_capacity_value, state.health_value, state.voltage_value}) {
        counter.watch_widget(w);
    }
}

using WindowCases = ShownWindow;

TEST_F(WindowCases, EachTreeRendersAsExpected) {
    std::setlocale(LC_NUMERIC, "C");
    for (const std::filesystem::path& folder : case_folders()) {
        SCOPED_TRACE(folder.filename().string());
        PreparedCase prepared(folder);
        // The unit chooser saves the user's choice: into the case's own directory.
        setenv("TAVRINO_CONFIG_HOME", (prepared.tree.base / "config").c_str(), 1);
        state.demo_mode = prepared.demo_mode;
        state.supply_cache->root = prepared.root;
        state.supply_cache->rescan_requested = true;
        state.selected_battery.clear();
        if (state.compact) {
            toggle_view_mode(&state);
        }
        gtk_combo_box_set_active(GTK_COMBO_BOX(state.unit_combo), 0);

        // Published as the reader publishes, applied as the idle callback applies.
        BatterySnapshot snapshot = prepared.demo_mode
                                       ? build_demo_snapshot(prepared.demo_scenario)
                                       : run_live_pass(*state.supply_cache);
        lock_state(state);
        state.pending_snapshot = std::move(snapshot);
        unlock_state(state);
        apply_snapshot_idle(&state);
        const BatterySnapshot& shown = state.shown_snapshot;

        std::string text = snapshot_header(
            shown, state.supply_cache->rescan_requested && !prepared.demo_mode);
        add_line(text, "selector", selector_line(state));
        const std::size_t sections = std::max<std::size_t>(shown.readings.size(), 1);
        for (std::size_t i = 0; i < sections; ++i) {
            if (i < shown.readings.size() && shown.readings.size() > 1) {
                gtk_combo_box_set_active_id(GTK_COMBO_BOX(state.battery_combo),
                                            shown.readings[i].id.c_str());
            }
            for (const int unit : {0, 1}) {
                gtk_combo_box_set_active(GTK_COMBO_BOX(state.unit_combo), unit);
                for (const bool compact : {false, true}) {
                    if (state.compact != compact) {
                        NotifyCounter hidden;  // a render writes the visible page only
                        watch_page(hidden, state, state.compact);
                        toggle_view_mode(&state);
                        EXPECT_EQ(hidden.count(), 0) << hidden.changes();
                    }
                    text += section_heading(shown, i, unit == 1, compact);
                    text += compact ? compact_page(state) : expanded_page(state);
                    NotifyCounter steady;  // the same snapshot again changes no widget
                    watch_page(steady, state, compact);
                    render_snapshot(state);
                    EXPECT_EQ(steady.count(), 0) << steady.changes();
                }
            }
        }
        expect_rendering(folder, text, true);
    }
    unsetenv("TAVRINO_CONFIG_HOME");
}

} // namespace
