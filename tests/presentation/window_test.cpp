// SPDX-License-Identifier: GPL-3.0-or-later
// Catches what the real window gets wrong: placeholders and style before the first reading,
// a failed unit save it does not tell, and for every case folder texts, font sizes,
// tooltips, accessible names and selector items, a render that touches the hidden page, a
// steady battery that still changes widgets, and a battery choice lost or kept wrongly.
// Each case's snapshot is applied, and every battery, unit and page chosen, as a user does.
#include <clocale>
#include <cstdio>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "app/state_lock.h"
#include "app/unit_preference.h"
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

// CSS font sizes are kept in points: px = pt * 96 / 72 at Xvfb's resolution.
double css_font_px(GtkWidget* widget) {
    PangoFontDescription* font = nullptr;
    GtkStyleContext* context = gtk_widget_get_style_context(widget);
    gtk_style_context_get(context, gtk_style_context_get_state(context), "font", &font, nullptr);
    const double px = pango_font_description_get_size(font) / double{PANGO_SCALE} * 96.0 / 72.0;
    pango_font_description_free(font);
    return px;
}

using Window = ShownWindow;

TEST_F(Window, StartsWithPlaceholdersAndSaysWhenTheUnitCannotBeSaved) {
    std::string texts = gtk_window_get_title(GTK_WINDOW(state.window));
    GList* footer = gtk_container_get_children(GTK_CONTAINER(gtk_widget_get_parent(state.pin_toggle)));
    texts += "|" + text_of(GTK_WIDGET(footer->data));  // the caption beside the pin
    g_list_free(footer);
    for (GtkWidget* label :
         {state.heading_label, state.rate_label, state.status_label, state.battery_label,
          state.percent_label, state.remaining_value, state.full_charge_value,
          state.design_capacity_value, state.health_value, state.voltage_value,
          state.notes_label, state.details_label, state.compact_rate_label,
          state.compact_remaining_label}) {
        texts += "|" + text_of(label);
    }
    EXPECT_EQ(texts, "Tavrino · Sample data|Sample data|Battery drain|— W|Reading battery…|Battery|—|—|—|—|"
                     "—|—|||— W|— Wh");
    EXPECT_EQ(gtk_stack_get_visible_child(GTK_STACK(state.stack)), state.expanded_page);
    for (GtkWidget* widget : page_widgets(state, false)) {  // shown, but the selector
        EXPECT_TRUE(gtk_widget_is_drawable(widget) == (widget != state.battery_combo));
    }
    EXPECT_NEAR(css_font_px(state.rate_label) + css_font_px(state.compact_rate_label), 68.0, 0.01);

    // A failed save says so, and the unit is in force all the same; the next success,
    // even one that finds the file right already, hides the message.
    state.demo_mode = false;
    const FixtureTree tree;
    write_fixture_file(tree.base / "file", "x");
    write_fixture_file(tree.base / "unit", "W");
    std::string shown;
    for (const auto& [unit, dir] : {std::pair{1, tree.base / "file/sub"}, {0, tree.base}, {0, tree.base},
                                    {1, tree.base}}) {
        setenv("TAVRINO_CONFIG_HOME", dir.c_str(), 1);
        gtk_combo_box_set_active(GTK_COMBO_BOX(state.unit_combo), unit);
        shown += std::to_string(static_cast<int>(state.unit)) +
                 (gtk_widget_get_visible(state.unit_error_label) ? text_of(state.unit_error_label) : "") + "|";
    }
    EXPECT_EQ(shown, "1The unit could not be saved for next time.|0|0|1|");
    EXPECT_EQ(read_unit_file((tree.base / "unit").string()), 'm');
    unsetenv("TAVRINO_CONFIG_HOME");
}

TEST_F(Window, EachCaseRendersAsExpected) {
    int rows_added = 0;  // the selector is rebuilt only when the list of batteries changed
    g_signal_connect_swapped(gtk_combo_box_get_model(GTK_COMBO_BOX(state.battery_combo)), "row-inserted",
                             G_CALLBACK(+[](int* count) { ++*count; }), &rows_added);
    std::setlocale(LC_NUMERIC, "C");
    for (const std::filesystem::path& folder : case_folders()) {
        const PreparedCase prepared(folder);
        // The unit chooser saves the user's choice: into the case's own directory.
        setenv("TAVRINO_CONFIG_HOME", (prepared.tree.base / "config").c_str(), 1);
        state.demo_mode = prepared.demo_mode;
        state.supply_cache->rescan_requested = true;
        const auto apply = [&](BatterySnapshot snapshot) {
            lock_state(state);  // published as the reader publishes, applied as its idle applies
            state.pending_snapshot = std::move(snapshot);
            unlock_state(state);
            rows_added = 0;
            apply_snapshot_idle(&state);
        };
        apply(prepared.read(*state.supply_cache));
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

        // The user's choice (the last battery) outlives new passes, but not its battery.
        if (state.shown_snapshot.readings.size() > 1) {
            const std::string chosen = state.selected_battery;
            apply(prepared.read(*state.supply_cache));
            EXPECT_EQ(state.selected_battery + std::to_string(rows_added), chosen + "0") << folder;
            BatterySnapshot fewer = prepared.read(*state.supply_cache);
            fewer.readings.pop_back();
            apply(std::move(fewer));
            EXPECT_EQ(state.selected_battery, state.shown_snapshot.readings.front().id) << folder;
        }
    }
    unsetenv("TAVRINO_CONFIG_HOME");
}

}  // namespace
