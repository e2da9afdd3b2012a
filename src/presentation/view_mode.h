// SPDX-License-Identifier: GPL-3.0-or-later
// view_mode.h: switching between the expanded page and the compact strip.
#pragma once
#include <gtk/gtk.h>

struct AppState;

void toggle_view_mode(AppState* state);
// "clicked" of collapse_button and expand_button.
void on_mode_button_clicked(GtkButton* button, gpointer state);
// One-shot idle that shrinks the window to the compact size.
gboolean compact_resize_idle(gpointer state);
// "configure-event" of the window: locks the compact strip once it has reached its size.
gboolean on_configure_event(GtkWidget* widget, GdkEventConfigure* event, gpointer state);
