// SPDX-License-Identifier: GPL-3.0-or-later
// keep_above.h: the always-on-top state and the two pin toggles that show it.
#pragma once
#include <gtk/gtk.h>

struct AppState;

// Brings keep_above, both toggles and their tooltips in line with on. Asks the window
// manager for nothing.
void sync_keep_above_widgets(AppState* state, bool on);
// "toggled" of pin_toggle and compact_pin_toggle.
void on_pin_toggled(GtkToggleButton* toggle, gpointer state);
// "window-state-event" of the window: iconify pauses the reader, above resynchronises.
gboolean on_window_state_event(GtkWidget* widget, GdkEventWindowState* event, gpointer state);
