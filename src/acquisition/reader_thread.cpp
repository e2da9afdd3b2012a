// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/reader_thread.h"

#include <atomic>
#include <string>
#include <utility>


#include "acquisition/reading_pass.h"
#include "acquisition/supply_cache.h"
#include "app/app_state.h"
#include "app/state_lock.h"
#include "presentation/snapshot_application.h"

namespace {

constexpr guint kTickSeconds = 2;

BatterySnapshot default_pass(AppState& state) {
    return read_snapshot(*state.supply_cache, state.demo_mode, state.demo_scenario);
}

// Atomic only so that a test swapping it between threads stays well defined.
std::atomic<ReadingPass> current_pass{default_pass};

// Only the reader loop catches: whatever escapes a pass becomes the snapshot's message.
BatterySnapshot run_pass(AppState& state) {
    return guarded_pass([&] { return current_pass.load()(state); });
}

// With the lock held. Returns false when the thread is to end.
bool wait_for_request(AppState& state) {
    for (;;) {
        // Stop first: a request still waiting is not served once the program is ending.
        if (state.stop_requested) {
            return false;
        }
        if (state.read_requested && !state.paused) {
            return true;
        }
        wait_for_wake(state);
    }
}

}  // namespace

gboolean request_reading(gpointer data) {
    auto& state = *static_cast<AppState*>(data);
    lock_state(state);
    if (state.stop_requested) {
        unlock_state(state);
        return FALSE;
    }
    // A request while a pass runs is dropped, not queued: the next tick asks again.
    if (!state.paused && !state.read_in_progress && !state.read_requested) {
        state.read_requested = true;
    }
    unlock_state(state);
    g_cond_signal(&state.wake);
    return TRUE;
}

void set_paused(AppState* state, bool paused) {
    lock_state(*state);
    if (state->paused == paused) {
        unlock_state(*state);
        return;
    }
    state->paused = paused;
    state->read_requested = false;
    unlock_state(*state);

    if (paused) {
        if (state->tick_source != 0) {
            g_source_remove(state->tick_source);
            state->tick_source = 0;
        }
        return;
    }
    // Supplies may have come or gone while nothing was read.
    if (state->supply_cache) {
        state->supply_cache->rescan_requested.store(true);
    }
    request_reading(state);
    if (state->tick_source == 0) {
        state->tick_source = g_timeout_add_seconds(kTickSeconds, request_reading, state);
    }
}

gboolean on_map_event(GtkWidget* /*widget*/, GdkEvent* /*event*/, gpointer state) {
    set_paused(static_cast<AppState*>(state), false);
    return FALSE;
}

gboolean on_unmap_event(GtkWidget* /*widget*/, GdkEvent* /*event*/, gpointer state) {
    set_paused(static_cast<AppState*>(state), true);
    return FALSE;
}

gpointer reader_main(gpointer data) {
    auto& state = *static_cast<AppState*>(data);
    // What this thread last published. The window shows it, or soon will: a pass that reads
    // the same again is not published, so a steady battery does not wake the UI thread.
    BatterySnapshot published;
    bool published_any = false;
    for (;;) {
        lock_state(state);
        if (!wait_for_request(state)) {
            unlock_state(state);
            return nullptr;
        }
        state.read_requested = false;
        state.read_in_progress = true;
        unlock_state(state);

        BatterySnapshot snapshot = run_pass(state);
        const bool unchanged = published_any && snapshot == published;
        if (!unchanged) {
            published = copy_of(snapshot);  // outside the lock: it allocates
            published_any = true;
        }

        lock_state(state);
        state.read_in_progress = false;
        if (state.stop_requested) {
            unlock_state(state);
            return nullptr;  // the result is discarded: nothing may be drawn any more
        }
        if (unchanged) {
            unlock_state(state);
            continue;
        }
        // The unapplied older snapshot is destroyed after the unlock, not under the lock.
        BatterySnapshot replaced = std::exchange(state.pending_snapshot, std::move(snapshot));
        if (state.apply_idle_source == 0) {
            state.apply_idle_source =
                g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, apply_snapshot_idle, &state, nullptr);
        }
        unlock_state(state);
    }
}

void start_reader(AppState& state) {
    state.reader_thread = g_thread_new("tavrino-read", reader_main, &state);
    request_reading(&state);
    state.tick_source = g_timeout_add_seconds(kTickSeconds, request_reading, &state);
}

void stop_reader(AppState& state) {
    lock_state(state);
    state.stop_requested = true;
    unlock_state(state);
    g_cond_signal(&state.wake);
    g_thread_join(state.reader_thread);
    state.reader_thread = nullptr;
    // Read after the join, when the reader can no longer schedule an apply callback.
    if (state.apply_idle_source != 0) {
        g_source_remove(state.apply_idle_source);
        state.apply_idle_source = 0;
    }
}

void set_reading_pass(ReadingPass pass) {
    current_pass.store(pass != nullptr ? pass : default_pass);
}
