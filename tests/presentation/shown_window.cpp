#include "presentation/shown_window.h"

#include <memory>

#include "app/lifecycle.h"
#include "presentation/main_window.h"

bool pump_until(const std::function<bool()>& done, int timeout_ms) {
    const gint64 deadline = g_get_monotonic_time() + gint64{timeout_ms} * 1000;
    while (!done()) {
        if (g_get_monotonic_time() > deadline) {
            return false;
        }
        if (!g_main_context_iteration(nullptr, FALSE)) {
            g_usleep(2000);  // nothing ready: give the X server a moment
        }
    }
    return true;
}

void drain_idles() {
    // A lower priority than every idle under test: once it runs, they have run.
    bool ran = false;
    g_idle_add_full(
        G_PRIORITY_LOW,
        [](gpointer data) -> gboolean {
            *static_cast<bool*>(data) = true;
            return FALSE;
        },
        &ran, nullptr);
    ASSERT_TRUE(pump_until([&] { return ran; }));
}

void ShownWindow::SetUp() {
    init_app_state(state);
    // As at start-up: resuming the reader asks this cache for a rescan.
    state.supply_cache = std::make_unique<SupplyCache>();
    state.demo_mode = true;
    build_main_window(state);
    // Mapped for real: the X server (and a window manager, if one runs) has shown it.
    ASSERT_TRUE(pump_until([&] {
        GdkWindow* window = gtk_widget_get_window(state.window);
        return window != nullptr &&
               (gdk_window_get_state(window) & GDK_WINDOW_STATE_WITHDRAWN) == 0;
    }));
}

void ShownWindow::TearDown() {
    // No main loop runs here for the program's destroy handler to quit.
    g_signal_handlers_disconnect_by_func(state.window, reinterpret_cast<gpointer>(on_window_destroy),
                                         &state);
    gtk_widget_destroy(state.window);
    state.window_destroyed = true;
    for (guint* source : {&state.compact_resize_source, &state.tick_source,
                          &state.apply_idle_source}) {
        if (*source != 0) {
            g_source_remove(*source);
            *source = 0;
        }
    }
    clean_up_app_state(state);
}

WindowSize window_size(const AppState& state) {
    WindowSize size;
    gtk_window_get_size(GTK_WINDOW(state.window), &size.width, &size.height);
    return size;
}
