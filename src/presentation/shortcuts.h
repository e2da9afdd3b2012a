// SPDX-License-Identifier: GPL-3.0-or-later
// shortcuts.h: the window's keyboard shortcuts, Ctrl+M and Ctrl+T.
#pragma once
#include <gtk/gtk.h>

// "key-press-event" of the window; TRUE when the key was used.
gboolean on_key_press(GtkWidget* widget, GdkEventKey* event, gpointer state);
