// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/keep_above.h"

#include <glib/gi18n-lib.h>

#include "acquisition/reader_thread.h"
#include "app/app_state.h"
#include "presentation/widget_updates.h"

namespace {

// Marked here, translated where they are shown.
constexpr const char* kWaylandTooltip =
    // TRANSLATORS: the Pin button's tooltip under native Wayland. "Always on Top" is the
    // entry of the desktop's window menu: use your desktop's own words for it.
    N_("Use your desktop's window menu to enable Always on Top. "
       "Native Wayland does not let this app set it.");
// TRANSLATORS: Ctrl+T is the shortcut; write the Ctrl key as your keyboards label it.
constexpr const char* kPinOnTooltip = N_("Stop keeping this window on top (Ctrl+T)");
// TRANSLATORS: Ctrl+T is the shortcut; write the Ctrl key as your keyboards label it.
constexpr const char* kPinOffTooltip = N_("Keep this window on top (Ctrl+T)");

}  // namespace

void sync_keep_above_widgets(AppState* state, bool on) {
    state->keep_above = on;
    state->syncing_widgets = true;
    for (GtkWidget* widget : {state->pin_toggle, state->compact_pin_toggle}) {
        GtkToggleButton* toggle = GTK_TOGGLE_BUTTON(widget);
        if ((gtk_toggle_button_get_active(toggle) != FALSE) != on) {
            gtk_toggle_button_set_active(toggle, on);
        }
    }
    state->syncing_widgets = false;

    const char* tooltip =
        _(state->wayland ? kWaylandTooltip : on ? kPinOnTooltip : kPinOffTooltip);
    set_tooltip_text(state->pin_toggle, tooltip);
    set_tooltip_text(state->compact_pin_toggle, tooltip);
}

void on_pin_toggled(GtkToggleButton* toggle, gpointer data) {
    auto* state = static_cast<AppState*>(data);
    if (state->syncing_widgets || state->wayland) {
        return;
    }
    const bool on = gtk_toggle_button_get_active(toggle) != FALSE;
    gtk_window_set_keep_above(GTK_WINDOW(state->window), on);
    sync_keep_above_widgets(state, on);
}

gboolean on_window_state_event(GtkWidget* /*widget*/, GdkEventWindowState* event,
                               gpointer data) {
    auto* state = static_cast<AppState*>(data);
    if ((event->changed_mask & GDK_WINDOW_STATE_ICONIFIED) != 0) {
        set_paused(state, (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0);
    }
    if ((event->changed_mask & GDK_WINDOW_STATE_ABOVE) != 0) {
        sync_keep_above_widgets(state, (event->new_window_state & GDK_WINDOW_STATE_ABOVE) != 0);
    }
    return FALSE;
}
