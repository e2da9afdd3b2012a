// SPDX-License-Identifier: GPL-3.0-or-later
// reader_thread.h: the "tavrino-read" thread, reading requests, pausing and publication.
#pragma once
#include <gtk/gtk.h>

#include "acquisition/battery_snapshot.h"

struct AppState;

// UI thread. Records a request unless paused, a pass runs or one waits; also the 2-second
// timer's callback (TRUE keeps it, FALSE once the program is stopping).
gboolean request_reading(gpointer data);
// UI thread. Enters or leaves the paused state (window unmapped or iconified). Leaving it
// asks for a rescan and a pass at once and adds the timer again.
void set_paused(AppState* state, bool paused);
gboolean on_map_event(GtkWidget* widget, GdkEvent* event, gpointer state);
gboolean on_unmap_event(GtkWidget* widget, GdkEvent* event, gpointer state);
// The thread body; data is the AppState. Returns nullptr once stop_requested is seen.
gpointer reader_main(gpointer data);

// UI thread, at start-up: starts the thread, asks for the first pass at once and adds the
// 2-second timer. Every field the reader reads must have its final value by then.
void start_reader(AppState& state);
// UI thread, after the main loop has ended: stops and joins the thread, then removes an
// apply callback that was scheduled and never ran.
void stop_reader(AppState& state);

// One reading pass as reader_main runs it, on the reader thread with no lock held.
using ReadingPass = BatterySnapshot (*)(AppState& state);
// Replaces the pass (demo or live by default) so tests can block, choose the result or
// throw. nullptr restores the default. Set it only while no reader thread runs.
void set_reading_pass(ReadingPass pass);
