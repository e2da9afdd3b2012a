// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/main_window.h"

#include <cstring>

#include <glib/gi18n-lib.h>

#include "acquisition/reader_thread.h"
#include "app/app_state.h"
#include "app/lifecycle.h"
#include "app/unit_change.h"
#include "presentation/keep_above.h"
#include "presentation/keep_above_watch.h"
#include "presentation/shortcuts.h"
#include "presentation/snapshot_application.h"
#include "presentation/view_mode.h"

namespace {

// One line, no separators between the rules. The rate sizes hold only until the first
// snapshot: the rendering then gives those labels an absolute size by text length.
constexpr const char* kStyleSheet =
    ".tavrino-rate { font-size: 48px; font-weight: 600; }"
    ".tavrino-mini { font-size: 20px; font-weight: 600; }"
    ".tavrino-caption { font-size: 11px; }"
    ".tavrino-heading { font-weight: 600; }"
    ".tavrino-compact button { padding: 3px 5px; min-width: 20px; min-height: 20px; }"
    ".tavrino-progress trough, .tavrino-progress progress { min-height: 4px; }";

constexpr guint kApplicationStylePriority = 600;  // GTK_STYLE_PROVIDER_PRIORITY_APPLICATION
constexpr int kDetailsWidthChars = 48;

GtkWidget* make_label(const char* text, float xalign) {
    GtkWidget* label = gtk_label_new(text);
    gtk_label_set_xalign(GTK_LABEL(label), xalign);
    return label;
}

void add_style_class(GtkWidget* widget, const char* name) {
    gtk_style_context_add_class(gtk_widget_get_style_context(widget), name);
}

void pack(GtkWidget* box, GtkWidget* child, bool expand) {
    gtk_box_pack_start(GTK_BOX(box), child, expand, expand, 0);
}

void set_accessible(GtkWidget* widget, const char* name) {
    atk_object_set_name(gtk_widget_get_accessible(widget), name);
}

GtkWidget* add_detail_row(GtkWidget* grid, const char* caption, int row) {
    GtkWidget* caption_label = make_label(caption, 0.0F);
    add_style_class(caption_label, "dim-label");
    gtk_widget_set_hexpand(caption_label, TRUE);
    GtkWidget* value = make_label("—", 1.0F);
    gtk_grid_attach(GTK_GRID(grid), caption_label, 0, row, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), value, 1, row, 1, 1);
    return value;
}

GtkWidget* make_wrapped_label() {
    GtkWidget* label = make_label("", 0.0F);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_max_width_chars(GTK_LABEL(label), kDetailsWidthChars);
    return label;
}

void install_style_sheet() {
    GtkCssProvider* provider = gtk_css_provider_new();
    // Parse errors are not reported: the sheet is fixed text, tested by its own test.
    gtk_css_provider_load_from_data(provider, kStyleSheet, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(provider),
                                              kApplicationStylePriority);
    g_object_unref(provider);  // the screen keeps it for the life of the process
}

void build_battery_combo(AppState& state) {
    state.battery_combo = gtk_combo_box_text_new();
    // TRANSLATORS: what a screen reader says for the list of batteries, and the name of a
    // battery that reports none.
    set_accessible(state.battery_combo, _("Battery"));
    GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(state.battery_combo));
    for (GList* item = cells; item != nullptr; item = item->next) {
        if (GTK_IS_CELL_RENDERER_TEXT(item->data)) {
            g_object_set(item->data, "ellipsize", PANGO_ELLIPSIZE_END, "max-width-chars", 32,
                         nullptr);
        }
    }
    g_list_free(cells);
}

GtkWidget* build_content_box(AppState& state) {
    GtkWidget* content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 12);
    gtk_container_set_border_width(GTK_CONTAINER(content), 20);

    GtkWidget* header = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    state.heading_label = make_label(_("Battery drain"), 0.0F);
    add_style_class(state.heading_label, "tavrino-heading");
    pack(header, state.heading_label, true);
    state.unit_combo = gtk_combo_box_text_new();
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(state.unit_combo), "Wh");
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(state.unit_combo), "mAh");
    // Set before "changed" is connected, so building never counts as a unit change.
    gtk_combo_box_set_active(GTK_COMBO_BOX(state.unit_combo),
                             state.unit == CapacityUnit::mAh ? 1 : 0);
    // TRANSLATORS: what a screen reader says for the chooser between Wh and mAh.
    set_accessible(state.unit_combo, _("Capacity units"));
    pack(header, state.unit_combo, false);
    pack(content, header, false);

    state.rate_label = make_label("— W", 0.0F);
    add_style_class(state.rate_label, "tavrino-rate");
    pack(content, state.rate_label, false);

    state.status_label = make_label(_("Reading battery…"), 0.0F);
    pack(content, state.status_label, false);

    pack(content, gtk_separator_new(GTK_ORIENTATION_HORIZONTAL), false);

    build_battery_combo(state);
    pack(content, state.battery_combo, false);

    GtkWidget* battery_row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    state.battery_label = make_label(_("Battery"), 0.0F);
    add_style_class(state.battery_label, "tavrino-heading");
    gtk_label_set_ellipsize(GTK_LABEL(state.battery_label), PANGO_ELLIPSIZE_END);
    pack(battery_row, state.battery_label, true);
    state.percent_label = make_label("—", 1.0F);
    pack(battery_row, state.percent_label, false);
    pack(content, battery_row, false);

    state.charge_bar = gtk_progress_bar_new();
    add_style_class(state.charge_bar, "tavrino-progress");
    // TRANSLATORS: what a screen reader says for the bar that shows the charge level.
    set_accessible(state.charge_bar, _("Battery charge"));
    pack(content, state.charge_bar, false);

    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 10);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 12);
    // TRANSLATORS: the caption of the capacity left in the battery now.
    state.remaining_value = add_detail_row(grid, _("Remaining"), 0);
    // TRANSLATORS: the caption of the capacity the battery holds when full today.
    state.full_charge_value = add_detail_row(grid, _("Full charge"), 1);
    // TRANSLATORS: the caption of the capacity the battery was made to hold when new.
    state.design_capacity_value = add_detail_row(grid, _("Design capacity"), 2);
    // TRANSLATORS: the caption of full charge against design capacity, in %.
    state.health_value = add_detail_row(grid, _("Battery health"), 3);
    state.voltage_value = add_detail_row(grid, _("Voltage"), 4);
    pack(content, grid, false);

    state.notes_label = make_wrapped_label();
    add_style_class(state.notes_label, "dim-label");
    pack(content, state.notes_label, false);

    state.unit_error_label = make_wrapped_label();
    pack(content, state.unit_error_label, false);

    // TRANSLATORS: the fold-out with the battery's maker, chemistry and cycle count.
    GtkWidget* expander = gtk_expander_new(_("Battery information"));
    gtk_expander_set_expanded(GTK_EXPANDER(expander), FALSE);
    // The window grows and shrinks as the details open and close.
    gtk_expander_set_resize_toplevel(GTK_EXPANDER(expander), TRUE);
    state.details_label = make_wrapped_label();
    gtk_label_set_selectable(GTK_LABEL(state.details_label), TRUE);
    gtk_container_add(GTK_CONTAINER(expander), state.details_label);
    pack(content, expander, false);
    return content;
}

GtkWidget* build_footer(AppState& state) {
    GtkWidget* footer = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_container_set_border_width(GTK_CONTAINER(footer), 10);
    // TRANSLATORS: the footer of the expanded page; "s" is the symbol for seconds.
    const char* updates = _("Updates every 2 s");
    GtkWidget* caption = make_label(state.demo_mode ? _("Sample data") : updates, 0.0F);
    add_style_class(caption, "dim-label");
    pack(footer, caption, true);

    // TRANSLATORS: the toggle button that keeps the window above the others. The compact
    // strip keeps its width and has room for about five letters here: one short word.
    state.pin_toggle = gtk_toggle_button_new_with_label(C_("keep on top", "Pin"));
    set_accessible(state.pin_toggle, _("Always on top"));
    pack(footer, state.pin_toggle, false);

    state.collapse_button = gtk_button_new_with_label("⌃");
    set_accessible(state.collapse_button, _("Collapse to compact mode"));
    // TRANSLATORS: Ctrl+M is the shortcut; write the Ctrl key as your keyboards label it.
    gtk_widget_set_tooltip_text(state.collapse_button, _("Collapse to compact mode (Ctrl+M)"));
    pack(footer, state.collapse_button, false);
    return footer;
}

void build_expanded_page(AppState& state) {
    state.expanded_page = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_set_size_request(state.expanded_page, 340, 390);
    // Added first, so it is the visible page at start.
    gtk_stack_add_named(GTK_STACK(state.stack), state.expanded_page, "expanded");
    pack(state.expanded_page, build_content_box(state), true);
    pack(state.expanded_page, build_footer(state), false);
}

void build_compact_page(AppState& state) {
    state.compact_page = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_container_set_border_width(GTK_CONTAINER(state.compact_page), 6);
    add_style_class(state.compact_page, "tavrino-compact");
    gtk_stack_add_named(GTK_STACK(state.stack), state.compact_page, "compact");

    state.compact_rate_label = make_label("— W", 0.0F);
    add_style_class(state.compact_rate_label, "tavrino-mini");
    gtk_label_set_max_width_chars(GTK_LABEL(state.compact_rate_label), 14);
    gtk_label_set_ellipsize(GTK_LABEL(state.compact_rate_label), PANGO_ELLIPSIZE_END);
    pack(state.compact_page, state.compact_rate_label, true);

    pack(state.compact_page, gtk_separator_new(GTK_ORIENTATION_VERTICAL), false);

    GtkWidget* caption_box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_set_valign(caption_box, GTK_ALIGN_CENTER);
    // TRANSLATORS: the small caption above the capacity left, in the compact strip, which
    // has little room: one short word, about as long as the figure under it ("35.33 Wh").
    GtkWidget* caption = make_label(C_("compact strip", "Remaining"), 0.0F);
    add_style_class(caption, "tavrino-caption");
    add_style_class(caption, "dim-label");
    pack(caption_box, caption, false);
    state.compact_remaining_label = make_label("— Wh", 0.0F);
    gtk_label_set_max_width_chars(GTK_LABEL(state.compact_remaining_label), 18);
    gtk_label_set_ellipsize(GTK_LABEL(state.compact_remaining_label), PANGO_ELLIPSIZE_END);
    pack(caption_box, state.compact_remaining_label, false);
    pack(state.compact_page, caption_box, false);

    state.compact_pin_toggle = gtk_toggle_button_new_with_label(C_("keep on top", "Pin"));
    set_accessible(state.compact_pin_toggle, _("Always on top"));
    gtk_widget_set_valign(state.compact_pin_toggle, GTK_ALIGN_CENTER);
    pack(state.compact_page, state.compact_pin_toggle, false);

    state.expand_button = gtk_button_new_with_label("⌄");
    set_accessible(state.expand_button, _("Expand battery details"));
    gtk_widget_set_tooltip_text(state.expand_button, _("Expand battery details (Ctrl+M)"));
    gtk_widget_set_valign(state.expand_button, GTK_ALIGN_CENTER);
    pack(state.compact_page, state.expand_button, false);
}

void connect_signals(AppState& state) {
    gpointer data = &state;
    g_signal_connect(state.unit_combo, "changed", G_CALLBACK(on_unit_changed), data);
    g_signal_connect(state.battery_combo, "changed", G_CALLBACK(on_battery_changed), data);
    g_signal_connect(state.pin_toggle, "toggled", G_CALLBACK(on_pin_toggled), data);
    g_signal_connect(state.compact_pin_toggle, "toggled", G_CALLBACK(on_pin_toggled), data);
    g_signal_connect(state.collapse_button, "clicked", G_CALLBACK(on_mode_button_clicked), data);
    g_signal_connect(state.expand_button, "clicked", G_CALLBACK(on_mode_button_clicked), data);
    g_signal_connect(state.window, "destroy", G_CALLBACK(on_window_destroy), data);
    g_signal_connect(state.window, "window-state-event", G_CALLBACK(on_window_state_event),
                     data);
    g_signal_connect(state.window, "configure-event", G_CALLBACK(on_configure_event), data);
    g_signal_connect(state.window, "map-event", G_CALLBACK(on_map_event), data);
    g_signal_connect(state.window, "unmap-event", G_CALLBACK(on_unmap_event), data);
    g_signal_connect(state.window, "key-press-event", G_CALLBACK(on_key_press), data);
}

}  // namespace

const char* main_window_style_sheet() { return kStyleSheet; }

void build_main_window(AppState& state) {
    install_style_sheet();

    state.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(state.window),
                         state.demo_mode ? _("Tavrino · Sample data") : "Tavrino");
    gtk_window_set_icon_name(GTK_WINDOW(state.window), "tavrino");
    gtk_window_set_default_size(GTK_WINDOW(state.window), state.expanded_width,
                                state.expanded_height);

    // The Wayland display class is named GdkWaylandDisplay; the X11 one has no "Wayland".
    state.wayland = std::strstr(G_OBJECT_TYPE_NAME(gdk_display_get_default()), "Wayland") !=
                    nullptr;

    state.stack = gtk_stack_new();
    gtk_stack_set_homogeneous(GTK_STACK(state.stack), FALSE);
    gtk_stack_set_transition_type(GTK_STACK(state.stack), GTK_STACK_TRANSITION_TYPE_NONE);
    gtk_container_add(GTK_CONTAINER(state.window), state.stack);

    build_expanded_page(state);
    build_compact_page(state);
    connect_signals(state);

    sync_keep_above_widgets(&state, false);
    if (state.wayland) {
        // Native Wayland gives clients no way to keep a window above; the desktop must.
        gtk_widget_set_sensitive(state.pin_toggle, FALSE);
        gtk_widget_set_sensitive(state.compact_pin_toggle, FALSE);
    }

    gtk_widget_show_all(state.window);
    watch_keep_above(&state);  // needs the realized window
    gtk_widget_hide(state.battery_combo);
    gtk_widget_hide(state.unit_error_label);
}
