// reader_thread.h: the "tavrino-read" thread, reading requests, pausing and publication.
#pragma once
#include <gtk/gtk.h>

struct AppState;

// UI thread. Records a request unless paused, a pass runs or one waits; also the 2-second
// timer's callback (TRUE keeps it).
gboolean request_reading(gpointer state);
// UI thread. Enters or leaves the paused state (window unmapped or iconified).
void set_paused(AppState* state, bool paused);
gboolean on_map_event(GtkWidget* widget, GdkEvent* event, gpointer state);
gboolean on_unmap_event(GtkWidget* widget, GdkEvent* event, gpointer state);
// The thread body; takes the AppState.
gpointer reader_main(gpointer state);
