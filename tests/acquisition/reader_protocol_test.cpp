// The reader thread's protocol with the real window, driven from the default main context
// with a reading pass the test controls.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "acquisition/reader_thread.h"
#include "app/app_state.h"
#include "app/lifecycle.h"
#include "app/state_lock.h"
#include "presentation/main_window.h"
#include "support/fixture_tree.h"
#include "support/test_window.h"

namespace {

constexpr auto kPatience = std::chrono::seconds(20);

// The pass that reader_main runs in these tests. While `hold` is set a pass waits at its
// start; each pass takes the front of `results`, or yields an empty snapshot.
struct ScriptedPasses {
    std::mutex mutex;
    std::condition_variable changed;
    bool hold = false;
    int started = 0;
    int finished = 0;
    std::deque<std::function<BatterySnapshot()>> results;
};
ScriptedPasses* script = nullptr;

BatterySnapshot scripted_pass(AppState& /*state*/) {
    std::unique_lock lock(script->mutex);
    ++script->started;
    script->changed.notify_all();
    script->changed.wait(lock, [] { return !script->hold; });
    std::function<BatterySnapshot()> make = [] { return BatterySnapshot{}; };
    if (!script->results.empty()) {
        make = std::move(script->results.front());
        script->results.pop_front();
    }
    ++script->finished;
    script->changed.notify_all();
    lock.unlock();
    return make();
}

std::function<BatterySnapshot()> returns(const std::string& id) {
    return [id] {
        BatterySnapshot snapshot;
        snapshot.readings.emplace_back().id = id;
        return snapshot;
    };
}

struct EmptyTextFailure : std::exception {
    const char* what() const noexcept override { return ""; }
};

class ReaderProtocol : public testing::Test {
  protected:
    void SetUp() override {
        script = &passes;
        set_reading_pass(scripted_pass);
        init_app_state(state);
        state.supply_cache = std::make_unique<SupplyCache>();
        state.supply_cache->rescan_requested = false;
        build_main_window(state);
        // The first map-event must be behind us: arriving late, it would undo a test's pause.
        g_signal_connect_swapped(state.window, "map-event",
                                 G_CALLBACK(+[](bool* seen) -> gboolean {
                                     *seen = true;
                                     return FALSE;
                                 }),
                                 &window_mapped);
        ASSERT_TRUE(until([this] { return window_mapped; }));
    }

    void TearDown() override {
        hold_passes(false);
        if (state.reader_thread != nullptr) {
            stop_reader(state);
        }
        destroy_test_window(state);
        set_reading_pass(nullptr);
        script = nullptr;
    }

    void start_thread() { state.reader_thread = g_thread_new("tavrino-read", reader_main, &state); }

    void hold_passes(bool hold = true) {
        std::lock_guard lock(passes.mutex);
        passes.hold = hold;
        passes.changed.notify_all();
    }

    void add_result(std::function<BatterySnapshot()> make) {
        std::lock_guard lock(passes.mutex);
        passes.results.push_back(std::move(make));
    }

    bool wait_for_passes(int started, int finished) {
        std::unique_lock lock(passes.mutex);
        return passes.changed.wait_for(lock, kPatience, [&] {
            return passes.started >= started && passes.finished >= finished;
        });
    }

    void request_stop(bool with_request = false) {
        lock_state(state);
        state.read_requested = with_request;
        state.stop_requested = true;
        unlock_state(state);
        g_cond_signal(&state.wake);
    }

    int passes_started() {
        std::lock_guard lock(passes.mutex);
        return passes.started;
    }

    // Reads the shared fields under the lock, as the UI thread must.
    template <typename Read> auto locked(Read read) {
        lock_state(state);
        auto value = read();
        unlock_state(state);
        return value;
    }

    // With turn_loop false the main loop stays still, so a scheduled apply stays scheduled.
    bool until(const std::function<bool()>& done, bool turn_loop = true) {
        const auto give_up = std::chrono::steady_clock::now() + kPatience;
        while (!done()) {
            if (std::chrono::steady_clock::now() > give_up) {
                return false;
            }
            if (!turn_loop || !g_main_context_iteration(nullptr, FALSE)) {
                std::this_thread::yield();
            }
        }
        return true;
    }

    // After `count` passes: true once the last result has been applied by the idle callback.
    bool applied_after(int count) {
        return wait_for_passes(count, count) && until([&] {
            return locked([&] { return !state.read_in_progress && state.apply_idle_source == 0; });
        });
    }

    ScriptedPasses passes;
    AppState state;
    bool window_mapped = false;
};

TEST_F(ReaderProtocol, RecordsARequestOnlyWhenAPassCanStart) {
    EXPECT_TRUE(request_reading(&state));
    EXPECT_TRUE(state.read_requested);
    EXPECT_TRUE(request_reading(&state));
    EXPECT_TRUE(state.read_requested) << "a second request changes nothing";

    set_paused(&state, true);
    EXPECT_FALSE(state.read_requested) << "pausing drops a request that had not started";
    EXPECT_TRUE(request_reading(&state));
    EXPECT_FALSE(state.read_requested) << "no request while paused";

    set_paused(&state, false);
    EXPECT_TRUE(state.read_requested) << "resuming asks for a pass at once";
    EXPECT_TRUE(state.supply_cache->rescan_requested.load());

    state.read_requested = false;
    state.stop_requested = true;
    EXPECT_FALSE(request_reading(&state)) << "the timer ends once the program stops";
    EXPECT_FALSE(state.read_requested);
}

TEST_F(ReaderProtocol, DropsRequestsAndResumesDuringAPassWithoutAnExtraPass) {
    hold_passes();
    add_result(returns("BAT0"));
    start_thread();
    request_reading(&state);
    ASSERT_TRUE(wait_for_passes(1, 0));

    // These return while the pass runs: the lock is not held across it.
    request_reading(&state);
    set_paused(&state, true);
    set_paused(&state, false);
    EXPECT_EQ(locked([&] { return state.read_requested; }), false);
    EXPECT_TRUE(state.supply_cache->rescan_requested.load());
    ASSERT_NE(state.tick_source, 0U);
    g_source_remove(state.tick_source);  // keep ticks out of the pass count
    state.tick_source = 0;

    hold_passes(false);
    ASSERT_TRUE(applied_after(1));
    EXPECT_EQ(reading_ids(state.shown_snapshot), "BAT0 ") << "the running pass's result is applied";
    EXPECT_EQ(locked([&] { return state.read_requested; }), false)
        << "nothing waits, so no second pass follows";
    EXPECT_EQ(passes_started(), 1);
}

TEST_F(ReaderProtocol, AppliesOnlyTheNewestOfTwoPublicationsWithOneIdle) {
    add_result(returns("OLD"));
    add_result(returns("NEW"));
    start_thread();

    request_reading(&state);
    ASSERT_TRUE(until([&] {
        return locked([&] { return !state.read_in_progress && state.apply_idle_source != 0; });
    }, false));
    const guint idle = locked([&] { return state.apply_idle_source; });

    request_reading(&state);
    ASSERT_TRUE(until([&] {
        return locked([&] {
            return !state.read_in_progress && !state.pending_snapshot.readings.empty() &&
                   state.pending_snapshot.readings[0].id == "NEW";
        });
    }, false));
    EXPECT_EQ(locked([&] { return state.apply_idle_source; }), idle) << "no second idle";

    ASSERT_TRUE(until([&] { return locked([&] { return state.apply_idle_source == 0; }); }));
    EXPECT_EQ(reading_ids(state.shown_snapshot), "NEW ");
    EXPECT_TRUE(locked([&] { return state.pending_snapshot.readings.empty(); }));
    EXPECT_EQ(g_main_context_find_source_by_id(nullptr, idle), nullptr);
}

TEST_F(ReaderProtocol, PublishesAFailedPassAsItsMessageAndForgetsTheFailure) {
    struct Case {
        std::function<BatterySnapshot()> pass;
        std::string message;
    };
    const std::vector<Case> cases = {
        {[]() -> BatterySnapshot { throw std::runtime_error("The supply tree vanished."); },
         "The supply tree vanished."},
        {[]() -> BatterySnapshot { throw 42; }, "Battery readings could not be read."},
        {[]() -> BatterySnapshot { throw EmptyTextFailure(); },
         "Battery readings could not be read."},
        {[]() -> BatterySnapshot { throw std::runtime_error("cannot open /tmp/\xff\xfe"); },
         "cannot open /tmp/\xef\xbf\xbd\xef\xbf\xbd"},  // U+FFFD for each raw byte
        {returns("BAT0"), ""},
    };
    start_thread();
    int count = 0;
    for (const Case& c : cases) {
        add_result(returns("BAT1"));  // a good pass first, so "no readings" means something
        add_result(c.pass);
        for (int i = 0; i < 2; ++i) {
            request_reading(&state);
            ASSERT_TRUE(applied_after(++count));
        }
        EXPECT_EQ(state.shown_snapshot.error_message, c.message);
        EXPECT_EQ(state.shown_snapshot.readings.empty(), !c.message.empty()) << c.message;
    }
}

TEST_F(ReaderProtocol, StopsWhileWaitingOrWithARequestPendingWithoutAPass) {
    for (const bool pending : {false, true}) {
        SCOPED_TRACE(pending ? "request pending" : "waiting");
        state.stop_requested = false;
        start_thread();
        if (pending) {
            request_stop(true);  // a request recorded, but stop arrives before the reader looks
        }
        stop_reader(state);
        EXPECT_EQ(state.reader_thread, nullptr);
        EXPECT_EQ(passes_started(), 0);
    }
}

TEST_F(ReaderProtocol, StopDuringAPassDiscardsItsResult) {
    hold_passes();
    add_result(returns("BAT0"));
    start_thread();
    request_reading(&state);
    ASSERT_TRUE(wait_for_passes(1, 0));

    request_stop();
    hold_passes(false);  // the pass runs to its end
    g_thread_join(state.reader_thread);
    state.reader_thread = nullptr;

    EXPECT_EQ(passes_started(), 1);
    EXPECT_EQ(state.apply_idle_source, 0U);
    EXPECT_TRUE(state.pending_snapshot.readings.empty());
}

TEST_F(ReaderProtocol, StopRemovesAnApplyThatNeverRan) {
    add_result(returns("BAT0"));
    start_thread();
    request_reading(&state);
    ASSERT_TRUE(
        until([&] { return locked([&] { return state.apply_idle_source != 0; }); }, false));
    const guint idle = locked([&] { return state.apply_idle_source; });

    stop_reader(state);
    EXPECT_EQ(state.apply_idle_source, 0U);
    EXPECT_EQ(g_main_context_find_source_by_id(nullptr, idle), nullptr);
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    EXPECT_TRUE(state.shown_snapshot.readings.empty()) << "nothing applied after the stop";
}

TEST_F(ReaderProtocol, PauseAndResumeReplaceTheTimerWhileRepeatedMapOrUnmapChangesNothing) {
    start_reader(state);
    ASSERT_TRUE(applied_after(1)) << "the first pass starts at once";
    const guint first_tick = state.tick_source;
    ASSERT_NE(first_tick, 0U);
    state.supply_cache->rescan_requested = false;

    on_map_event(state.window, nullptr, &state);
    EXPECT_FALSE(state.paused);
    EXPECT_EQ(state.tick_source, first_tick);
    EXPECT_FALSE(locked([&] { return state.read_requested; }));
    EXPECT_FALSE(state.supply_cache->rescan_requested.load());

    on_unmap_event(state.window, nullptr, &state);
    EXPECT_TRUE(state.paused);
    EXPECT_EQ(state.tick_source, 0U);
    EXPECT_EQ(g_main_context_find_source_by_id(nullptr, first_tick), nullptr);
    on_unmap_event(state.window, nullptr, &state);
    EXPECT_TRUE(state.paused);
    EXPECT_EQ(state.tick_source, 0U);
    EXPECT_FALSE(state.supply_cache->rescan_requested.load());

    on_map_event(state.window, nullptr, &state);
    EXPECT_FALSE(state.paused);
    EXPECT_TRUE(state.supply_cache->rescan_requested.load());
    ASSERT_NE(state.tick_source, 0U);
    EXPECT_NE(g_main_context_find_source_by_id(nullptr, state.tick_source), nullptr);
    EXPECT_TRUE(wait_for_passes(2, 2)) << "resuming starts a pass at once";
}

}  // namespace
