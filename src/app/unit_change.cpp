// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/unit_change.h"

#include "app/app_state.h"
#include "app/unit_preference.h"
#include "presentation/render_snapshot.h"
#include "presentation/widget_updates.h"

void on_unit_changed(GtkComboBox* combo, gpointer data) {
    auto* state = static_cast<AppState*>(data);
    if (state->syncing_widgets) {
        return;
    }
    // Index 1 is mAh; 0 and "none active" (-1) are Wh.
    const CapacityUnit unit =
        gtk_combo_box_get_active(combo) == 1 ? CapacityUnit::mAh : CapacityUnit::Wh;
    if (unit == state->unit) {
        return;  // not even a redraw
    }
    state->unit = unit;
    if (state->demo_mode) {
        render_snapshot(*state);
        return;
    }
    const bool saved = save_unit_file(unit);
    set_label_text(GTK_LABEL(state->unit_error_label), saved ? "" : _(kUnitNotSavedMessage));
    gtk_widget_set_visible(state->unit_error_label, !saved);
    render_snapshot(*state);
}
