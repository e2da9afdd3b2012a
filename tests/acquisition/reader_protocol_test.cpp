// SPDX-License-Identifier: GPL-3.0-or-later
// Catches the reader thread's protocol faults, under ThreadSanitizer too: lost or extra
// passes, a request kept while paused, a stale snapshot applied, two idles at once, a
// failure published as no problem, an unchanged snapshot published again, and a stop that
// hangs or draws afterwards.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "acquisition/reader_thread.h"
#include "app/state_lock.h"
#include "presentation/widget_probes.h"

namespace {

using Pass = std::function<BatterySnapshot()>;

// The pass reader_main runs here: it waits at its start while `hold` is set, then yields
// the front of `results` (an empty snapshot when there is none).
struct ScriptedPasses {
    std::mutex mutex;
    std::condition_variable changed;
    bool hold = false;
    int started = 0;
    std::deque<Pass> results;
} script;

BatterySnapshot scripted_pass(AppState& /*state*/) {
    std::unique_lock lock(script.mutex);
    ++script.started;
    script.changed.notify_all();
    script.changed.wait(lock, [] { return !script.hold; });
    Pass make = [] { return BatterySnapshot{}; };
    if (!script.results.empty()) {
        make = std::move(script.results.front());
        script.results.pop_front();
    }
    lock.unlock();
    return make();
}

Pass returns(const std::string& id) {
    return [id] {
        BatterySnapshot snapshot;
        snapshot.readings.emplace_back().id = id;
        return snapshot;
    };
}

struct ReaderProtocol : ShownWindow {
    void SetUp() override {
        script.hold = false;
        script.started = 0;
        script.results.clear();
        set_reading_pass(scripted_pass);
        ShownWindow::SetUp();
        state.supply_cache->rescan_requested = false;
    }
    void TearDown() override {
        scripted([] { script.hold = false; });
        if (state.reader_thread != nullptr) {
            stop_reader(state);
        }
        set_reading_pass(nullptr);
    }
    void start_thread() { state.reader_thread = g_thread_new("tavrino-read", reader_main, &state); }
    int scripted(const std::function<void()>& change) {  // returns the passes started
        std::lock_guard lock(script.mutex);
        change();
        script.changed.notify_all();
        return script.started;
    }
    // Polls done() under the state's lock, for 20 s at most. With turn_loop false the main
    // loop stays still, so a scheduled apply stays scheduled.
    bool until(const std::function<bool()>& done, bool turn_loop = true) {
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            lock_state(state);
            const bool now = done();
            unlock_state(state);
            if (now || std::chrono::steady_clock::now() > give_up) {
                return now;
            }
            if (!turn_loop || !g_main_context_iteration(nullptr, FALSE)) {
                std::this_thread::yield();
            }
        }
    }
    // True once `count` passes have run and the last result has been applied.
    bool applied_after(int count) {
        return until([&] {
            return scripted([] {}) >= count && !state.read_requested && !state.read_in_progress &&
                   state.apply_idle_source == 0;
        });
    }
};

TEST_F(ReaderProtocol, RequestsPauseAndTheTimerFollowTheWindow) {
    EXPECT_TRUE(request_reading(&state) && request_reading(&state) && state.read_requested);
    on_unmap_event(state.window, nullptr, &state);
    EXPECT_FALSE(state.read_requested) << "pausing drops a request that had not started";
    EXPECT_TRUE(request_reading(&state));
    EXPECT_FALSE(state.read_requested) << "no request while paused";
    on_map_event(state.window, nullptr, &state);
    EXPECT_TRUE(state.read_requested && state.supply_cache->rescan_requested.load());
    state.read_requested = false;

    start_reader(state);
    ASSERT_TRUE(applied_after(1)) << "the first pass starts at once";
    const guint first_tick = state.tick_source;
    state.supply_cache->rescan_requested = false;
    on_map_event(state.window, nullptr, &state);  // mapped again: nothing changes
    EXPECT_TRUE(state.tick_source == first_tick && first_tick != 0);
    EXPECT_FALSE(state.paused || state.supply_cache->rescan_requested.load());
    for (int i = 0; i < 2; ++i) {
        on_unmap_event(state.window, nullptr, &state);
        EXPECT_TRUE(state.paused && state.tick_source == 0);
    }
    EXPECT_EQ(g_main_context_find_source_by_id(nullptr, first_tick), nullptr);
    on_map_event(state.window, nullptr, &state);
    EXPECT_TRUE(!state.paused && state.supply_cache->rescan_requested.load());
    EXPECT_NE(g_main_context_find_source_by_id(nullptr, state.tick_source), nullptr);
    EXPECT_TRUE(applied_after(2)) << "resuming starts a pass at once";
    state.stop_requested = true;  // the reader waits for a request, so it reads nothing
    EXPECT_FALSE(request_reading(&state)) << "the timer ends once the program stops";
}

TEST_F(ReaderProtocol, EachPassPublishesItsResultOrFailureAndOnlyTheNewestIsApplied) {
    scripted([] { script.hold = true; script.results = {returns("BAT0")}; });
    start_thread();
    request_reading(&state);
    ASSERT_TRUE(until([&] { return scripted([] {}) == 1; }));
    request_reading(&state);  // these return while the pass runs: no lock held across it
    set_paused(&state, true);
    set_paused(&state, false);
    lock_state(state);
    EXPECT_FALSE(state.read_requested) << "a request during a pass is dropped";
    unlock_state(state);
    g_source_remove(state.tick_source);  // keep ticks out of the pass count
    state.tick_source = 0;
    scripted([] { script.hold = false; });
    ASSERT_TRUE(applied_after(1));
    EXPECT_EQ(reading_ids(state.shown_snapshot), "BAT0 ");

    // Each failure becomes the message, after a good pass so "no readings" means something.
    int count = 1;
    for (const auto& [pass, message] : std::initializer_list<std::pair<Pass, std::string>>{
             {[]() -> BatterySnapshot { throw std::runtime_error("The tree vanished."); },
              "The tree vanished."},
             {[]() -> BatterySnapshot { throw 42; }, "Battery readings could not be read."},
             {[]() -> BatterySnapshot { throw std::runtime_error(""); },
              "Battery readings could not be read."},
             {[]() -> BatterySnapshot { throw std::runtime_error("/tmp/\xff"); },
              "/tmp/\xef\xbf\xbd"},  // U+FFFD for the raw byte
             {returns("BAT0"), ""}}) {
        scripted([&] { script.results = {returns("BAT1"), pass}; });
        for (int i = 0; i < 2; ++i) {
            request_reading(&state);
            ASSERT_TRUE(applied_after(++count));
        }
        EXPECT_EQ(state.shown_snapshot.error_message, message);
        EXPECT_EQ(state.shown_snapshot.readings.empty(), !message.empty()) << message;
    }

    scripted([] { script.results = {returns("OLD"), returns("NEW")}; });
    request_reading(&state);
    ASSERT_TRUE(until([&] { return !state.read_in_progress && state.apply_idle_source != 0; }, false));
    const guint idle = state.apply_idle_source;
    request_reading(&state);
    ASSERT_TRUE(until([&] {
        return !state.read_in_progress && !state.pending_snapshot.readings.empty() &&
               state.pending_snapshot.readings[0].id == "NEW" && state.apply_idle_source == idle;
    }, false)) << "the newer snapshot replaces the older one, and no second idle comes";
    ASSERT_TRUE(until([&] { return state.apply_idle_source == 0; }));
    EXPECT_EQ(reading_ids(state.shown_snapshot), "NEW ");
    EXPECT_EQ(scripted([] {}), count + 2) << "no pass without a request";

    // A pass that reads what was last published wakes nobody; a changed problem text does.
    scripted([] { script.results = {returns("NEW"), [] {
        BatterySnapshot snapshot = returns("NEW")();
        snapshot.error_message = "Changed.";
        return snapshot;
    }}; });
    request_reading(&state);
    ASSERT_TRUE(until([&] { return scripted([] {}) == count + 3 && !state.read_in_progress; }, false));
    EXPECT_EQ(state.apply_idle_source, 0U) << "an unchanged snapshot is not published";
    request_reading(&state);
    ASSERT_TRUE(applied_after(count + 4));
    EXPECT_EQ(state.shown_snapshot.error_message, "Changed.");
}

TEST_F(ReaderProtocol, StopsWaitingRunningOrScheduledWithoutAnotherPassOrDrawing) {
    start_thread();  // waiting, with a request recorded just before the stop
    lock_state(state);
    state.read_requested = state.stop_requested = true;
    unlock_state(state);
    g_cond_signal(&state.wake);
    stop_reader(state);
    EXPECT_EQ(state.reader_thread, nullptr);

    state.stop_requested = false;  // running: its result is discarded
    scripted([] { script.hold = true; script.results = {returns("BAT0")}; });
    start_thread();
    request_reading(&state);
    ASSERT_TRUE(until([&] { return scripted([] {}) == 1; }));
    lock_state(state);
    state.stop_requested = true;
    unlock_state(state);
    scripted([] { script.hold = false; });
    stop_reader(state);
    EXPECT_TRUE(state.apply_idle_source == 0 && state.pending_snapshot.readings.empty());

    state.stop_requested = false;  // published, its apply scheduled and never run
    scripted([] { script.results = {returns("BAT1")}; });
    start_thread();
    request_reading(&state);
    ASSERT_TRUE(until([&] { return state.apply_idle_source != 0; }, false));
    const guint idle = state.apply_idle_source;
    stop_reader(state);
    EXPECT_EQ(state.apply_idle_source, 0U);
    EXPECT_EQ(g_main_context_find_source_by_id(nullptr, idle), nullptr);
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    EXPECT_TRUE(state.shown_snapshot.readings.empty()) << "nothing applied after the stop";
    EXPECT_EQ(scripted([] {}), 2) << "no pass for the request recorded before the first stop";
}

}  // namespace
