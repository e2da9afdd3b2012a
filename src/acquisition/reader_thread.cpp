#include "acquisition/reader_thread.h"

#include "app/app_state.h"

gboolean request_reading(gpointer /*state*/) { return TRUE; }

void set_paused(AppState* /*state*/, bool /*paused*/) {}

gboolean on_map_event(GtkWidget* /*widget*/, GdkEvent* /*event*/, gpointer /*state*/) {
    return FALSE;
}

gboolean on_unmap_event(GtkWidget* /*widget*/, GdkEvent* /*event*/, gpointer /*state*/) {
    return FALSE;
}

gpointer reader_main(gpointer /*state*/) { return nullptr; }
