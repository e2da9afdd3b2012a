// built_window.h: a real main window for one test, shut down the way the program does it.
#pragma once
#include <memory>

#include <gtk/gtk.h>

#include "app/app_state.h"
#include "presentation/main_window.h"

// The AppState set up as start-up leaves it (without the reader thread), with the window
// built and shown. The destructor destroys the window inside a main loop, so the real
// "destroy" handler runs and quits that loop.
struct BuiltWindow {
    explicit BuiltWindow(CapacityUnit unit, bool demo_mode = false) {
        init_app_state(state);
        state.supply_cache = std::make_unique<SupplyCache>();
        state.demo_mode = demo_mode;
        state.unit = unit;
        build_main_window(state);
    }
    ~BuiltWindow() {
        g_idle_add(
            [](gpointer window) -> gboolean {
                gtk_widget_destroy(GTK_WIDGET(window));
                return FALSE;
            },
            state.window);
        gtk_main();
        for (guint* source : {&state.tick_source, &state.apply_idle_source,
                              &state.compact_resize_source}) {
            if (*source != 0) {
                g_source_remove(*source);
                *source = 0;
            }
        }
        clean_up_app_state(state);
    }
    BuiltWindow(const BuiltWindow&) = delete;
    BuiltWindow& operator=(const BuiltWindow&) = delete;

    AppState state;
};

// Runs the main loop's pending work, so the window is realised and mapped.
inline void process_pending_events() {
    while (gtk_events_pending()) {
        gtk_main_iteration();
    }
}
