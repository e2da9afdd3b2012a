// SPDX-License-Identifier: GPL-3.0-or-later
// state_lock.h: taking and releasing AppState's lock in a way ThreadSanitizer can follow.
#pragma once
#include <glib.h>

#include "app/app_state.h"

// QUIRK: on Linux, GMutex and GCond are built on futexes inside GLib, which is not
// instrumented, so ThreadSanitizer cannot see that they order memory and reports every
// field they guard as a race. Telling it "acquired" after each lock and "released" before
// each unlock (and around the wait, which releases and retakes the mutex) describes exactly
// what the primitives do. In other builds these are plain GLib calls.
#if defined(__SANITIZE_THREAD__)
#define TAVRINO_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TAVRINO_TSAN 1
#endif
#endif

#ifdef TAVRINO_TSAN
#include <sanitizer/tsan_interface.h>
#endif

inline void lock_state(AppState& state) {
    g_mutex_lock(&state.lock);
#ifdef TAVRINO_TSAN
    __tsan_acquire(&state.lock);
#endif
}

inline void unlock_state(AppState& state) {
#ifdef TAVRINO_TSAN
    __tsan_release(&state.lock);
#endif
    g_mutex_unlock(&state.lock);
}

// With the lock held: sleeps on wake, and holds the lock again when it returns.
inline void wait_for_wake(AppState& state) {
#ifdef TAVRINO_TSAN
    __tsan_release(&state.lock);
#endif
    g_cond_wait(&state.wake, &state.lock);
#ifdef TAVRINO_TSAN
    __tsan_acquire(&state.lock);
#endif
}
