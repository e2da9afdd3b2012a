// SPDX-License-Identifier: GPL-3.0-or-later
// test_window.h: a real main window for one test, built as start-up builds it (without the
// reader thread) and destroyed outside gtk_main.
#pragma once
#include <memory>

#include <gtk/gtk.h>

#include "app/app_state.h"
#include "app/lifecycle.h"
#include "presentation/main_window.h"

struct TestWindow {
    explicit TestWindow(CapacityUnit unit = CapacityUnit::Wh, bool demo_mode = true) {
        init_app_state(state);
        state.supply_cache = std::make_unique<SupplyCache>();  // resuming the reader asks it
        state.unit = unit;
        state.demo_mode = demo_mode;
        build_main_window(state);
    }
    // Without the handler that would quit a main loop that is not running; then the
    // callbacks still scheduled go, pending events run and the state is cleaned up.
    ~TestWindow() {
        g_signal_handlers_disconnect_by_func(state.window,
                                             reinterpret_cast<gpointer>(on_window_destroy), &state);
        state.window_destroyed = true;
        gtk_widget_destroy(state.window);
        for (guint* source : {&state.compact_resize_source, &state.tick_source, &state.apply_idle_source}) {
            if (*source != 0) {
                g_source_remove(*source);
            }
            *source = 0;
        }
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        clean_up_app_state(state);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    AppState state;
};
