// Catches texts, font sizes, tooltips, accessible names and selector items that the real
// window gets wrong, a render that touches the hidden page, and a steady battery that still
// changes widgets: each case's snapshot is applied to a real window and every battery,
// unit and page is chosen as a user chooses them.
#include <clocale>
#include <cstdio>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "app/state_lock.h"
#include "presentation/render_snapshot.h"
#include "presentation/snapshot_application.h"
#include "presentation/view_mode.h"
#include "support/case_folder.h"
#include "widget_probes.h"

namespace {

// The items, the chosen one starred; "hidden" while the selector is.
std::string selector_items(const AppState& state) {
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
        gtk_tree_model_get(model, &iter, 0, &name, 1, &id, -1);  // GtkComboBoxText's columns
        items += std::string(items.empty() ? "" : ", ") +
                 (id == state.selected_battery ? "*" : "") + id + " (" + name + ")";
    }
    return items;
}

std::vector<GtkWidget*> page_widgets(const AppState& s, bool compact) {
    if (compact) {
        return {s.compact_rate_label, s.compact_remaining_label};
    }
    return {s.heading_label, s.rate_label, s.status_label, s.battery_label, s.battery_combo,
            s.percent_label, s.charge_bar, s.notes_label, s.details_label, s.remaining_value,
            s.full_charge_value, s.design_capacity_value, s.health_value, s.voltage_value};
}

std::string page_text(AppState& s, bool compact) {
    std::string text;
    const auto label = [&](const std::string& key, GtkWidget* w, bool font) {
        add_line(text, key, text_of(w));
        if (font) {
            add_line(text, key + " font", std::to_string(only_absolute_size_px(w)) + " px");
        }
    };
    if (compact) {
        for (const auto& [key, w] : {std::pair{"rate", s.compact_rate_label},
                                     {"remaining", s.compact_remaining_label}}) {
            label(key, w, true);
            add_line(text, std::string(key) + " tooltip", tooltip_of(w));
            add_line(text, std::string(key) + " name", accessible_name_of(w));
        }
        return text;
    }
    label("caption", s.heading_label, false);
    label("rate", s.rate_label, true);
    add_line(text, "rate tooltip", tooltip_of(s.rate_label));
    label("status", s.status_label, false);
    label("title", s.battery_label, false);
    add_line(text, "title tooltip", tooltip_of(s.battery_label));
    add_line(text, "selector", selector_items(s));
    add_line(text, "selector tooltip", tooltip_of(s.battery_combo));
    label("percent", s.percent_label, false);
    char bar[16];
    std::snprintf(bar, sizeof bar, "%.4f",
                  gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(s.charge_bar)));
    add_line(text, "bar", bar);
    for (const auto& [key, w] : {std::pair{"remaining", s.remaining_value},
                                 {"full charge", s.full_charge_value},
                                 {"design capacity", s.design_capacity_value},
                                 {"health", s.health_value}, {"voltage", s.voltage_value},
                                 {"notes", s.notes_label}, {"details", s.details_label}}) {
        label(key, w, false);
    }
    return text;
}

using WindowCases = ShownWindow;

TEST_F(WindowCases, EachTreeRendersAsExpected) {
    std::setlocale(LC_NUMERIC, "C");
    for (const std::filesystem::path& folder : case_folders()) {
        const PreparedCase prepared(folder);
        // The unit chooser saves the user's choice: into the case's own directory.
        setenv("TAVRINO_CONFIG_HOME", (prepared.tree.base / "config").c_str(), 1);
        state.demo_mode = prepared.demo_mode;
        state.supply_cache->rescan_requested = true;
        BatterySnapshot snapshot = prepared.read(*state.supply_cache);
        lock_state(state);  // published as the reader publishes, applied as its idle applies
        state.pending_snapshot = std::move(snapshot);
        unlock_state(state);
        apply_snapshot_idle(&state);
        const auto page = [&](std::size_t i, CapacityUnit unit, bool compact) {
            if (i < state.shown_snapshot.readings.size() && state.shown_snapshot.readings.size() > 1) {
                gtk_combo_box_set_active_id(GTK_COMBO_BOX(state.battery_combo),
                                            state.shown_snapshot.readings[i].id.c_str());
            }
            gtk_combo_box_set_active(GTK_COMBO_BOX(state.unit_combo), static_cast<int>(unit));
            if (state.compact != compact) {
                NotifyCounter hidden;  // a render writes the visible page only
                for (GtkWidget* w : page_widgets(state, state.compact)) {
                    hidden.watch_widget(w);
                }
                toggle_view_mode(&state);
                EXPECT_EQ(hidden.changes(), "") << folder;
            }
            const std::string text = page_text(state, compact);
            NotifyCounter steady;  // the same snapshot again changes no widget
            for (GtkWidget* w : page_widgets(state, compact)) {
                steady.watch_widget(w);
            }
            render_snapshot(state);
            EXPECT_EQ(steady.changes(), "") << folder;
            return text;
        };
        const bool rescan = state.supply_cache->rescan_requested && !prepared.demo_mode;
        expect_rendering(folder, render_case(state.shown_snapshot, rescan, page), true);
    }
    unsetenv("TAVRINO_CONFIG_HOME");
}

}  // namespace
