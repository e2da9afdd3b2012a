// SPDX-License-Identifier: GPL-3.0-or-later
// Catches what the real window gets wrong, read from its widgets as GTK holds them: at start
// a widget out of its row or place, a lost style class, wrong placeholders, sizes,
// visibility or sensitivity, and a failed unit save it does not tell; for every case folder
// texts, drawn font sizes, tooltips, accessible names, the selector's items and active one,
// the bar and what is hidden, a render that touches the hidden page, a steady battery that
// still changes widgets, and a battery choice lost or kept wrongly. Each case's snapshot is
// applied, and every battery, unit and page chosen, as a user does.
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <span>

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

// The items as the selector holds them, the active one starred.
std::string selector_items(GtkWidget* combo) {
    std::string items;
    GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(combo));
    const int active = gtk_combo_box_get_active(GTK_COMBO_BOX(combo));
    GtkTreeIter iter;
    int index = 0;
    for (gboolean more = gtk_tree_model_get_iter_first(model, &iter); more;
         more = gtk_tree_model_iter_next(model, &iter), ++index) {
        g_autofree gchar* name = nullptr;
        g_autofree gchar* id = nullptr;
        gtk_tree_model_get(model, &iter, 0, &name, 1, &id, -1);  // GtkComboBoxText's columns
        items += std::string(items.empty() ? "" : ", ") + (index == active ? "*" : "") + id + " (" +
                 name + ")";
    }
    return items;
}

// What is read from each widget of a page, in the order of the lines of expected.txt.
enum Reads : unsigned { kText = 1, kFont = 2, kTooltip = 4, kName = 8, kItems = 16, kFraction = 32 };
struct Shown {
    const char* key;
    GtkWidget* AppState::*widget;
    unsigned reads;
};
constexpr Shown kCompactPage[] = {{"rate", &AppState::compact_rate_label, kText | kFont | kTooltip | kName},
                                  {"remaining", &AppState::compact_remaining_label, kText | kFont | kTooltip | kName}};
constexpr Shown kExpandedPage[] = {
    {"caption", &AppState::heading_label, kText}, {"rate", &AppState::rate_label, kText | kFont | kTooltip},
    {"status", &AppState::status_label, kText}, {"title", &AppState::battery_label, kText | kTooltip},
    {"selector", &AppState::battery_combo, kItems | kTooltip}, {"percent", &AppState::percent_label, kText},
    {"bar", &AppState::charge_bar, kFraction}, {"remaining", &AppState::remaining_value, kText},
    {"full charge", &AppState::full_charge_value, kText},
    {"design capacity", &AppState::design_capacity_value, kText}, {"health", &AppState::health_value, kText},
    {"voltage", &AppState::voltage_value, kText}, {"notes", &AppState::notes_label, kText},
    {"details", &AppState::details_label, kText}};

std::span<const Shown> page_of(bool compact) {
    return compact ? std::span<const Shown>(kCompactPage) : std::span<const Shown>(kExpandedPage);
}

// What the page shows; a widget that is not drawn reads "hidden".
std::string page_text(const AppState& s, bool compact) {
    std::string text;
    for (const auto& [name, field, reads] : page_of(compact)) {
        GtkWidget* w = s.*field;
        const std::string key = name;
        if (!gtk_widget_is_drawable(w)) {
            add_line(text, key, "hidden");
            continue;
        }
        const auto read = [&](unsigned what, const std::string& line,
                              const std::function<std::string()>& value) {
            if ((reads & what) != 0) {
                add_line(text, line, value());
            }
        };
        read(kText, key, [&] { return text_of(w); });
        read(kItems, key, [&] { return selector_items(w); });
        read(kFraction, key, [&] {
            char fraction[16];
            std::snprintf(fraction, sizeof fraction, "%.4f", gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(w)));
            return std::string(fraction);
        });
        read(kFont, key + " font", [&] { return std::to_string(drawn_font_px(w)) + " px"; });
        read(kTooltip, key + " tooltip", [&] { return tooltip_of(w); });
        read(kName, key + " name", [&] { return accessible_name_of(w); });
    }
    return text;
}

// One line per widget, indented by depth: its place (its index among a box's children, or
// a grid's column,row), type, text or name, tooltip, drawn font size of a label, the style
// classes that change its look, and whether it is hidden or insensitive.
void describe(std::string& out, GtkWidget* w, const std::string& indent, const std::string& place) {
    out += indent + place + G_OBJECT_TYPE_NAME(w);
    if (GTK_IS_LABEL(w)) {
        out += " \"" + text_of(w) + "\" " + std::to_string(drawn_font_px(w)) + "px";
    } else if (const char* name = atk_object_get_name(gtk_widget_get_accessible(w)); name != nullptr) {
        out += std::string(" name \"") + name + "\"";
    }
    if (gtk_widget_get_has_tooltip(w)) {
        out += " tooltip \"" + tooltip_of(w) + "\"";
    }
    GList* classes = gtk_style_context_list_classes(gtk_widget_get_style_context(w));
    std::vector<std::string> looks;
    for (GList* c = classes; c != nullptr; c = c->next) {
        const std::string name = static_cast<const char*>(c->data);
        if (name == "dim-label" || name.starts_with("tavrino-")) {
            looks.push_back(" ." + name);
        }
    }
    g_list_free(classes);
    std::sort(looks.begin(), looks.end());
    for (const std::string& look : looks) {
        out += look;
    }
    out += gtk_widget_get_visible(w) && gtk_widget_get_child_visible(w) ? "" : " hidden";
    out += gtk_widget_get_sensitive(w) ? "\n" : " insensitive\n";
    if (!GTK_IS_CONTAINER(w) || GTK_IS_BUTTON(w) || GTK_IS_COMBO_BOX(w)) {
        return;
    }
    GList* children = gtk_container_get_children(GTK_CONTAINER(w));
    if (GTK_IS_GRID(w)) {
        children = g_list_reverse(children);  // in the order of attachment
    }
    int index = 0;
    for (GList* c = children; c != nullptr; c = c->next, ++index) {
        std::string at = std::to_string(index);
        if (GTK_IS_GRID(w)) {
            int column = 0;
            int row = 0;
            gtk_container_child_get(GTK_CONTAINER(w), GTK_WIDGET(c->data), "left-attach", &column,
                                    "top-attach", &row, nullptr);
            at = std::to_string(column) + "," + std::to_string(row);
        }
        describe(out, GTK_WIDGET(c->data), indent + "  ", "[" + at + "] ");
    }
    g_list_free(children);
}

using Window = ShownWindow;

TEST_F(Window, StartsInPlaceWithPlaceholdersAndSaysWhenTheUnitCannotBeSaved) {
    std::string layout;
    describe(layout, state.window, "", "");
    expect_file(TAVRINO_WINDOW_LAYOUT, layout);

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
        shown += text_of(state.remaining_value) +
                 (gtk_widget_is_drawable(state.unit_error_label) ? text_of(state.unit_error_label) : "") + "|";
    }
    EXPECT_EQ(shown, "— mAhThe unit could not be saved for next time.|— Wh|— Wh|— mAh|");
    EXPECT_EQ(read_unit_file((tree.base / "unit").string()), 'm');
    unsetenv("TAVRINO_CONFIG_HOME");
}

TEST_F(Window, EachCaseRendersAsExpected) {
    auto* selector = GTK_COMBO_BOX(state.battery_combo);
    int rows_added = 0;  // the selector is rebuilt only when the list of batteries changed
    g_signal_connect_swapped(gtk_combo_box_get_model(selector), "row-inserted",
                             G_CALLBACK(+[](int* count) { ++*count; }), &rows_added);
    // Opened, as a user does to read the battery's details.
    gtk_expander_set_expanded(GTK_EXPANDER(gtk_widget_get_parent(state.details_label)), TRUE);
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
        apply({});  // a pass without batteries first: the window chooses the case's first itself
        apply(prepared.read(*state.supply_cache));
        const auto watch = [&](NotifyCounter& counter, bool compact) {
            for (const Shown& shown : page_of(compact)) {
                counter.watch_widget(state.*shown.widget);
            }
        };
        const auto page = [&](std::size_t i, CapacityUnit unit, bool compact) {
            if (i > 0) {
                gtk_combo_box_set_active(selector, static_cast<int>(i));
            }
            gtk_combo_box_set_active(GTK_COMBO_BOX(state.unit_combo), static_cast<int>(unit));
            if (state.compact != compact) {
                NotifyCounter hidden;  // a render writes the visible page only
                watch(hidden, state.compact);
                toggle_view_mode(&state);
                EXPECT_EQ(hidden.changes(), "") << folder;
            }
            const std::string text = page_text(state, compact);
            NotifyCounter steady;  // the same snapshot again changes no widget
            watch(steady, compact);
            render_snapshot(state);
            EXPECT_EQ(steady.changes(), "") << folder;
            return text;
        };
        const bool rescan = state.supply_cache->rescan_requested && !prepared.demo_mode;
        expect_rendering(folder, render_case(state.shown_snapshot, rescan, page), true);

        // The user's choice (the last battery) outlives new passes, but not its battery.
        if (gtk_tree_model_iter_n_children(gtk_combo_box_get_model(selector), nullptr) > 1) {
            const std::string chosen = selector_items(state.battery_combo);
            apply(prepared.read(*state.supply_cache));
            EXPECT_EQ(selector_items(state.battery_combo) + std::to_string(rows_added), chosen + "0") << folder;
            BatterySnapshot fewer = prepared.read(*state.supply_cache);
            fewer.readings.pop_back();
            apply(std::move(fewer));
            EXPECT_EQ(gtk_combo_box_get_active(selector), 0) << folder;
        }
    }
    unsetenv("TAVRINO_CONFIG_HOME");
}

}  // namespace
