// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/render_snapshot.h"

#include <string>

#include <glib/gi18n-lib.h>

#include "app/app_state.h"
#include "presentation/capacity_figures.h"
#include "presentation/figure_format.h"
#include "presentation/label_font_size.h"
#include "presentation/note_list.h"
#include "presentation/reading_view.h"
#include "presentation/widget_updates.h"

namespace {

void set_text(GtkWidget* label, const std::string& text) {
    set_label_text(GTK_LABEL(label), text.c_str());
}

void render_expanded(AppState& state, const ReadingView& view, const std::string& notes) {
    set_text(state.heading_label, view.caption);
    set_text(state.rate_label, view.rate_text);
    set_label_font_px(GTK_LABEL(state.rate_label), expanded_rate_font_px(view.rate_text.size()));
    set_text(state.status_label, view.status_text);
    set_text(state.battery_label, view.title);
    set_tooltip_text(state.battery_label, view.title.c_str());
    set_tooltip_text(state.battery_combo, view.title.c_str());
    set_text(state.percent_label, view.percent_text);
    set_text(state.remaining_value, view.remaining_text);
    set_text(state.full_charge_value, view.full_charge_text);
    set_text(state.design_capacity_value, view.design_capacity_text);
    set_text(state.health_value, view.health_text);
    set_text(state.voltage_value, view.voltage_text);
    set_text(state.notes_label, notes);
    set_text(state.details_label, view.details);
    // The line break stays even without notes, so the tooltip keeps its shape.
    set_tooltip_text(state.rate_label, (view.status_text + "\n" + notes).c_str());

    // Exact comparison: the bar holds exactly what it was given, so a steady level is a no-op.
    GtkProgressBar* bar = GTK_PROGRESS_BAR(state.charge_bar);
    const double fraction = charge_bar_fraction(view.charge_percent);
    if (gtk_progress_bar_get_fraction(bar) != fraction) {
        gtk_progress_bar_set_fraction(bar, fraction);
    }
}

void render_compact(AppState& state, const ReadingView& view, const std::string& notes) {
    set_text(state.compact_rate_label, view.compact_rate_text);
    set_text(state.compact_remaining_label, view.compact_remaining_text);
    set_label_font_px(GTK_LABEL(state.compact_rate_label),
                      compact_rate_font_px(view.compact_rate_text.size()));
    set_label_font_px(GTK_LABEL(state.compact_remaining_label),
                      compact_remaining_font_px(view.compact_remaining_text.size()));
    set_tooltip_text(
        state.compact_rate_label,
        (view.compact_rate_text + "\n" + view.status_text + "\n" + notes).c_str());
    // TRANSLATORS: the first line of the compact strip's capacity tooltip; %s is the
    // remaining capacity with its unit ("35.33 Wh").
    const std::string remaining = filled(_("%s remaining"), view.compact_remaining_text);
    set_tooltip_text(state.compact_remaining_label,
                     (remaining + "\n" + view.title + "\n" + notes).c_str());
    g_autofree gchar* rate_name = g_strdup_printf(
        // TRANSLATORS: what a screen reader says for the compact strip's rate: the first %s
        // is the status ("Charging"), the second the rate with its unit ("+24.00 W").
        C_("status: rate", "%s: %s"), view.status_text.c_str(), view.compact_rate_text.c_str());
    set_accessible_name(state.compact_rate_label, rate_name);
    const std::string remaining_name =
        // TRANSLATORS: what a screen reader says for the compact strip's capacity; %s is the
        // remaining capacity with its unit.
        filled(_("Remaining capacity: %s"), view.compact_remaining_text);
    set_accessible_name(state.compact_remaining_label, remaining_name.c_str());
}

}  // namespace

void render_snapshot(AppState& state) {
    const ReadingView view = compute_reading_view(
        state.shown_snapshot, state.unit, state.selected_battery, state.demo_mode, state.compact);
    // Joined here, for the window only: the core keeps the notes as a list.
    const std::string notes = join_notes(view.notes);
    if (state.compact) {
        render_compact(state, view, notes);
    } else {
        render_expanded(state, view, notes);
    }
}
