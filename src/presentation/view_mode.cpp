#include "presentation/view_mode.h"

#include "app/app_state.h"

void toggle_view_mode(AppState* /*state*/) {}

void on_mode_button_clicked(GtkButton* /*button*/, gpointer /*state*/) {}

gboolean compact_resize_idle(gpointer /*state*/) { return FALSE; }

gboolean on_configure_event(GtkWidget* /*widget*/, GdkEventConfigure* /*event*/,
                            gpointer /*state*/) {
    return FALSE;
}
