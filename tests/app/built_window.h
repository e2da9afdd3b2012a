// built_window.h: a real main window, built and shown as start-up leaves it (without the
// reader thread), and destroyed inside a main loop so the real "destroy" handler runs.
#pragma once
#include <memory>

#include <gtk/gtk.h>

#include "app/app_state.h"
#include "presentation/main_window.h"

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
        for (guint* source :
             {&state.tick_source, &state.apply_idle_source, &state.compact_resize_source}) {
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
