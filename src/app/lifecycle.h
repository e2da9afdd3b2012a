// SPDX-License-Identifier: GPL-3.0-or-later
// lifecycle.h: start-up, the run loop and shutdown of the program.
#pragma once
#include <gtk/gtk.h>

// The whole program after main(): parse, start, run until the window is gone, shut down.
// Returns the process exit status.
int run_program(int argc, char** argv);

// Initialises GTK as the program runs it: GDK_GL=disable unless the variable is already
// set, and only the X11 and Wayland backends, X11 first. The widget tests start GTK through
// this too, so they exercise the same libraries. False when no display can be opened.
bool start_gtk();

// "destroy" of the window: the only caller of gtk_main_quit.
void on_window_destroy(GtkWidget* widget, gpointer state);
// The one-shot --quit-after= timer.
gboolean on_quit_after(gpointer state);
