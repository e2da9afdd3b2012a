// test_window.h: ends a test's real window outside gtk_main.
#pragma once
#include <gtk/gtk.h>

#include "app/app_state.h"
#include "app/lifecycle.h"

// Destroys the window without the handler that would quit a main loop that is not running,
// removes the callbacks still scheduled, lets pending events run and cleans up the state.
inline void destroy_test_window(AppState& state) {
    g_signal_handlers_disconnect_by_func(state.window,
                                         reinterpret_cast<gpointer>(on_window_destroy), &state);
    state.window_destroyed = true;
    gtk_widget_destroy(state.window);
    for (guint* source :
         {&state.compact_resize_source, &state.tick_source, &state.apply_idle_source}) {
        if (*source != 0) {
            g_source_remove(*source);
            *source = 0;
        }
    }
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    clean_up_app_state(state);
}
