// bare_window.cpp: the baseline for the program's running cost: the same window with the
// same widgets and a 2-second timer that does nothing, without the reader thread.
//   bare_window SECONDS
#include <cstdlib>

#include <gtk/gtk.h>

#include "app/app_state.h"
#include "presentation/main_window.h"

namespace {

gboolean idle_tick(gpointer /*data*/) { return TRUE; }

gboolean quit(gpointer data) {
    gtk_widget_destroy(static_cast<AppState*>(data)->window);
    return FALSE;
}

void on_destroy(GtkWidget* /*widget*/, gpointer /*data*/) { gtk_main_quit(); }

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    g_setenv("GDK_GL", "disable", FALSE);
    if (!gtk_init_check(nullptr, nullptr)) {
        return 1;
    }
    AppState state;
    init_app_state(state);
    g_set_prgname("tavrino-bare");
    build_main_window(state);
    g_signal_connect(state.window, "destroy", G_CALLBACK(on_destroy), nullptr);
    g_timeout_add_seconds(2, idle_tick, nullptr);
    g_timeout_add_seconds(static_cast<guint>(seconds), quit, &state);
    gtk_main();
    clean_up_app_state(state);
    return 0;
}
