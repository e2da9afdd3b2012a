// Catches a strip that never locks or locks at the wrong size, a lost expanded size after
// quick switches, pins that disagree with each other or with the window manager's state,
// a pause missed on iconify, and shortcuts that fire on the wrong keys or modifiers.
#include <gtest/gtest.h>

#include "presentation/view_mode.h"
#include "widget_probes.h"

namespace {

using Modes = ShownWindow;

bool resizable(const AppState& state) {
    return gtk_window_get_resizable(GTK_WINDOW(state.window)) != FALSE;
}

bool locked_strip(const AppState& state) {
    int width = 0;
    int height = 0;
    gtk_window_get_size(GTK_WINDOW(state.window), &width, &height);
    return !resizable(state) && width >= 280 && height <= 96;
}

TEST_F(Modes, StripLocksOnlyAtItsSizeAndTheUsersSizeSurvivesQuickSwitches) {
    gtk_window_resize(GTK_WINDOW(state.window), 480, 610);  // as the user does
    ASSERT_TRUE(pump_until([&] { return has_size(state, 480, 610); }));
    toggle_view_mode(&state);
    ASSERT_TRUE(pump_until([&] { return locked_strip(state); }));
    toggle_view_mode(&state);  // expanded and straight back, measured while strip-sized
    toggle_view_mode(&state);
    ASSERT_TRUE(pump_until([&] { return locked_strip(state); }));
    toggle_view_mode(&state);
    EXPECT_TRUE(resizable(state));
    EXPECT_TRUE(pump_until([&] { return has_size(state, 480, 610); }));

    // No main loop runs between these lines, so only the synthetic configure is seen.
    struct Case {
        bool compact, shrink_pending;
        int width, height;
        bool locks;
    };
    for (const Case c : {Case{true, true, 279, 44, false}, Case{true, true, 300, 97, false},
                         Case{true, true, 280, 96, true}, Case{true, false, 300, 44, false},
                         Case{false, true, 300, 44, false}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " " << c.compact
                                        << c.shrink_pending);
        gtk_window_set_resizable(GTK_WINDOW(state.window), TRUE);
        state.compact = c.compact;
        state.compact_shrink_pending = c.shrink_pending;
        GdkEventConfigure event{GDK_CONFIGURE, nullptr, 0, 0, 0, c.width, c.height};
        EXPECT_FALSE(on_configure_event(state.window, &event, &state));
        EXPECT_EQ(resizable(state), !c.locks);
        EXPECT_EQ(state.compact_shrink_pending, c.shrink_pending && !c.locks);
    }
    state.compact = false;
}

// keep_above, both toggles and both tooltips agree on `on`.
void expect_pins(const AppState& state, bool on) {
    EXPECT_EQ(state.keep_above, on);
    for (GtkWidget* pin : {state.pin_toggle, state.compact_pin_toggle}) {
        EXPECT_EQ(toggle_active(pin), on);
        EXPECT_EQ(tooltip_of(pin), on ? "Stop keeping this window on top (Ctrl+T)"
                                      : "Keep this window on top (Ctrl+T)");
    }
}

TEST_F(Modes, PinsFollowEachOtherAndOnlyTheWindowStateBitsThatChanged) {
    gtk_button_clicked(GTK_BUTTON(state.compact_pin_toggle));
    expect_pins(state, true);
    gtk_button_clicked(GTK_BUTTON(state.pin_toggle));
    expect_pins(state, false);
    state.syncing_widgets = true;  // the program's own change is not the user's
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(state.pin_toggle), TRUE);
    state.syncing_widgets = false;
    EXPECT_FALSE(state.keep_above || toggle_active(state.compact_pin_toggle));
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(state.pin_toggle), FALSE);

    constexpr int kAbove = GDK_WINDOW_STATE_ABOVE;
    constexpr int kIconified = GDK_WINDOW_STATE_ICONIFIED;
    constexpr int kFocused = GDK_WINDOW_STATE_FOCUSED;
    struct Case {
        int changed, now;
        bool above, paused;
    };
    for (const Case c : {Case{kAbove, kAbove, true, false}, Case{kFocused, kFocused, true, false},
                         Case{kAbove, 0, false, false}, Case{kIconified, kIconified, false, true},
                         Case{kFocused, kFocused | kAbove, false, true},
                         Case{kIconified, 0, false, false},
                         Case{kFocused, kFocused | kIconified | kAbove, false, false}}) {
        SCOPED_TRACE(testing::Message() << "changed " << c.changed << " now " << c.now);
        EXPECT_FALSE(send_window_state(state, c.changed, c.now));
        expect_pins(state, c.above);
        g_mutex_lock(&state.lock);
        EXPECT_EQ(state.paused, c.paused);
        g_mutex_unlock(&state.lock);
    }
}

TEST_F(Modes, ControlMSwitchesThePageAndControlTFlipsThePins) {
    const guint ctrl = GDK_CONTROL_MASK;
    struct Case {
        guint keyval, modifiers;
        bool handled, compact, above;  // compact and above: the state after the key
    };
    for (const Case c : {Case{GDK_KEY_m, ctrl | GDK_MOD1_MASK | GDK_LOCK_MASK, true, true, false},
                         Case{GDK_KEY_M, ctrl | GDK_SHIFT_MASK, true, false, false},
                         Case{GDK_KEY_T, ctrl, true, false, true},
                         Case{GDK_KEY_t, ctrl, true, false, false},
                         Case{GDK_KEY_T, ctrl | GDK_SHIFT_MASK, true, false, true},
                         Case{GDK_KEY_T, 0, false, false, true},
                         Case{GDK_KEY_m, GDK_SHIFT_MASK | GDK_MOD1_MASK, false, false, true},
                         Case{0x2d4d, ctrl, false, false, true}}) {  // M only in the low byte
        SCOPED_TRACE(testing::Message() << "key " << c.keyval << " modifiers " << c.modifiers);
        EXPECT_EQ(press_key(state, c.keyval, c.modifiers) != FALSE, c.handled);
        EXPECT_EQ(state.compact, c.compact);
        expect_pins(state, c.above);
    }
}

}  // namespace
