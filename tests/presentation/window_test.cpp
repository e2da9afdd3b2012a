// SPDX-License-Identifier: GPL-3.0-or-later
// Catches what the real window gets wrong, read from its widgets as GTK holds them: at start
// a widget out of its row, place, alignment or spacing, a lost style class, wrong
// placeholders, sizes, visibility or sensitivity, and a failed unit save it does not tell;
// for every case folder texts, drawn font sizes, tooltips, accessible names, the selector's
// items and active one, the bar and what is hidden, a render that touches the hidden page, a
// steady battery that still changes widgets, a battery choice lost or kept wrongly, and a
// battery swapped for another that the selector does not show. Each case's snapshot is
// applied, and every battery, unit and page chosen, as a user does.
#include <clocale>
#include <cstdio>
#include <span>
#include <tuple>

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

// What a widget shows: a label's text, the selector's items (as it holds them, the active
// one starred), the bar's fraction.
std::string value_of(GtkWidget* w) {
    if (GTK_IS_PROGRESS_BAR(w)) {
        char fraction[16];
        std::snprintf(fraction, sizeof fraction, "%.4f", gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(w)));
        return fraction;
    }
    if (!GTK_IS_COMBO_BOX(w)) {
        return text_of(w);
    }
    std::string items;
    GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(w));
    const int active = gtk_combo_box_get_active(GTK_COMBO_BOX(w));
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

// Each page's widgets, in the order of the lines of expected.txt, and what is read from
// each besides what it shows.
struct Shown {
    const char* key;
    GtkWidget* AppState::*widget;
    bool font = false, tooltip = false, name = false;
};
constexpr Shown kCompactPage[] = {{"rate", &AppState::compact_rate_label, true, true, true},
                                  {"remaining", &AppState::compact_remaining_label, true, true, true}};
constexpr Shown kExpandedPage[] = {
    {"caption", &AppState::heading_label}, {"rate", &AppState::rate_label, true, true},
    {"status", &AppState::status_label}, {"title", &AppState::battery_label, false, true},
    {"selector", &AppState::battery_combo, false, true}, {"percent", &AppState::percent_label},
    {"bar", &AppState::charge_bar}, {"remaining", &AppState::remaining_value},
    {"full charge", &AppState::full_charge_value}, {"design capacity", &AppState::design_capacity_value},
    {"health", &AppState::health_value}, {"voltage", &AppState::voltage_value},
    {"notes", &AppState::notes_label}, {"details", &AppState::details_label}};

std::span<const Shown> page_of(bool compact) {
    return compact ? std::span<const Shown>(kCompactPage) : std::span<const Shown>(kExpandedPage);
}

// What the page shows; a widget that is not drawn reads "hidden".
std::string page_text(const AppState& s, bool compact) {
    std::string text;
    for (const auto& [name, field, font, tooltip, accessible] : page_of(compact)) {
        GtkWidget* w = s.*field;
        const std::string key = name;
        const bool drawn = gtk_widget_is_drawable(w);
        add_line(text, key, drawn ? value_of(w) : "hidden");
        for (const auto& [wanted, suffix, value] :
             {std::tuple{drawn && font, " font", font ? std::to_string(drawn_font_px(w)) + " px" : ""},
              {drawn && tooltip, " tooltip", tooltip_of(w)}, {drawn && accessible, " name", accessible_name_of(w)}}) {
            if (wanted) {
                add_line(text, key + suffix, value);
            }
        }
    }
    return text;
}

// " name value" for a property that differs from its default, else nothing.
std::string unless_default(GObject* object, GParamSpec* property, GtkWidget* child = nullptr) {
    if (property == nullptr) {
        return "";
    }
    GValue value = G_VALUE_INIT;
    g_value_init(&value, property->value_type);
    if (child != nullptr) {
        gtk_container_child_get_property(GTK_CONTAINER(object), child, property->name, &value);
    } else {
        g_object_get_property(object, property->name, &value);
    }
    std::string text;
    if (G_VALUE_HOLDS_ENUM(&value) && !g_param_value_defaults(property, &value)) {
        GEnumClass* kind = G_ENUM_CLASS(g_type_class_ref(property->value_type));
        const GEnumValue* named = g_enum_get_value(kind, g_value_get_enum(&value));
        text = std::string(" ") + property->name + " " + named->value_nick;
        g_type_class_unref(kind);
    } else if (!g_param_value_defaults(property, &value)) {
        gchar* contents = G_VALUE_HOLDS_FLOAT(&value)
                              ? g_strdup_printf("%.1f", double(g_value_get_float(&value)))
                              : g_strdup_value_contents(&value);
        text = std::string(" ") + property->name + " " + contents;
        g_free(contents);
    }
    g_value_unset(&value);
    return text;
}

// One line per widget, indented by depth: its place (its index among a box's children, or
// a grid's column,row, and whether it expands), type, text or name, tooltip, drawn font size
// of a label, alignment, spacing and wrapping where not the default, the style classes that
// change its look, and whether it is hidden or insensitive.
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
    for (const char* name : {"halign", "valign", "hexpand", "xalign", "spacing", "border-width",
                             "row-spacing", "column-spacing", "wrap", "wrap-mode", "ellipsize",
                             "max-width-chars"}) {
        GParamSpec* property = g_object_class_find_property(G_OBJECT_GET_CLASS(w), name);
        out += unless_default(G_OBJECT(w), property);
    }
    for (const char* look : {"dim-label", "tavrino-caption", "tavrino-compact", "tavrino-heading",
                             "tavrino-mini", "tavrino-progress", "tavrino-rate"}) {
        out += gtk_style_context_has_class(gtk_widget_get_style_context(w), look) ? std::string(" .") + look : "";
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
        GParamSpec* expand =
            gtk_container_class_find_child_property(G_OBJECT_GET_CLASS(w), "expand");
        at += unless_default(G_OBJECT(w), expand, GTK_WIDGET(c->data));
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
            const bool showing_compact = gtk_stack_get_visible_child(GTK_STACK(state.stack)) == state.compact_page;
            if (showing_compact != compact) {
                NotifyCounter hidden;  // a render writes the visible page only
                watch(hidden, showing_compact);
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

        // The user's choice (the last battery) outlives new passes, but not its battery; a battery
        // swapped for another shows in the selector.
        if (gtk_tree_model_iter_n_children(gtk_combo_box_get_model(selector), nullptr) > 1) {
            const std::string chosen = value_of(state.battery_combo);
            apply(prepared.read(*state.supply_cache));
            EXPECT_EQ(value_of(state.battery_combo) + std::to_string(rows_added), chosen + "0") << folder;
            BatterySnapshot renamed = prepared.read(*state.supply_cache);  // as the first one
            renamed.readings.front().name += " (2)";                        // swapped for another
            apply(std::move(renamed));
            EXPECT_NE(value_of(state.battery_combo).find(" (2)"), std::string::npos) << folder;
            BatterySnapshot fewer = prepared.read(*state.supply_cache);
            fewer.readings.pop_back();
            apply(std::move(fewer));
            EXPECT_EQ(gtk_combo_box_get_active(selector), 0) << folder;
        }
    }
    unsetenv("TAVRINO_CONFIG_HOME");
}

}  // namespace
