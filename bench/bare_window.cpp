// SPDX-License-Identifier: GPL-3.0-or-later
// bare_window.cpp: the baseline for the program's running cost: the same window with the
// same widgets and a 2-second timer that does nothing, without the reader thread. Given a
// power-supply root, it is the threaded stand-in of the program instead: one more thread
// reads that tree every 2 seconds on a timer of its own, with the floor loop
// (bench/floor_loop.h), and lists it again every 30 seconds, as the program does.
//   bare_window SECONDS [ROOT]
#include <atomic>
#include <cstdlib>

#include <time.h>

#include <gtk/gtk.h>

#include "app/app_state.h"
#include "floor_loop.h"
#include "presentation/main_window.h"

namespace {

constexpr int kTicksPerScan = 15;  // 30 s of 2-second ticks

struct StandIn {
    const char* root = nullptr;
    std::atomic<bool> stop{false};
    FloorList list{};
    FloorReading readings[kFloorMaxSupplies]{};
};

// Sleeps to each 2-second deadline and reads: one wake-up per tick, nothing else.
gpointer stand_in_reader(gpointer data) {
    auto& stand_in = *static_cast<StandIn*>(data);
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    for (int tick = 0; !stand_in.stop.load(); ++tick) {
        if (tick % kTicksPerScan == 0) {
            floor_scan(stand_in.root, &stand_in.list);
        }
        floor_pass(&stand_in.list, stand_in.readings);
        deadline.tv_sec += 2;
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) != 0) {
        }
    }
    return nullptr;
}

gboolean idle_tick(gpointer /*data*/) { return TRUE; }

gboolean quit(gpointer data) {
    gtk_widget_destroy(static_cast<AppState*>(data)->window);
    return FALSE;
}

void on_destroy(GtkWidget* /*widget*/, gpointer /*data*/) { gtk_main_quit(); }

} // namespace

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
    g_timeout_add_seconds(static_cast<guint>(seconds), quit, &state);
    // Static: the floor's list is large.
    static StandIn stand_in;
    GThread* reader = nullptr;
    if (argc > 2) {
        stand_in.root = argv[2];
        reader = g_thread_new("stand-in-read", stand_in_reader, &stand_in);
    } else {
        g_timeout_add_seconds(2, idle_tick, nullptr);
    }
    gtk_main();
    if (reader != nullptr) {
        stand_in.stop.store(true);
        g_thread_join(reader);
    }
    clean_up_app_state(state);
    return 0;
}
