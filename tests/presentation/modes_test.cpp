// SPDX-License-Identifier: GPL-3.0-or-later
// Catches a strip that locks at the wrong size or never, a lost expanded size after quick
// switches, shortcuts that fire on the wrong keys or modifiers, and pins that pretend to
// work on Wayland, where the desktop keeps windows on top.
#include <gtest/gtest.h>

#include <tuple>

#include "presentation/keep_above.h"
#include "presentation/shortcuts.h"
#include "presentation/view_mode.h"
#include "widget_probes.h"

namespace {

using Modes = ShownWindow;

bool resizable(const AppState& state) { return gtk_window_get_resizable(GTK_WINDOW(state.window)); }

std::pair<int, int> size_of(const AppState& state) {
    int width = 0;
    int height = 0;
    gtk_window_get_size(GTK_WINDOW(state.window), &width, &height);
    return {width, height};
}

TEST_F(Modes, StripLocksOnlyAtItsSizeAndTheUsersSizeSurvivesQuickSwitches) {
    if (state.wayland) {
        GTEST_SKIP() << "the window manager's part is tested under X11";
    }
    gtk_window_resize(GTK_WINDOW(state.window), 480, 610);  // as the user does
    ASSERT_TRUE(pump_until([&] { return size_of(state) == std::pair{480, 610}; }));
    const auto locked_strip = [&] { return !resizable(state) && size_of(state).second <= 96; };
    toggle_view_mode(&state);
    ASSERT_TRUE(pump_until(locked_strip));
    toggle_view_mode(&state);  // expanded and straight back, measured while strip-sized
    toggle_view_mode(&state);
    ASSERT_TRUE(pump_until(locked_strip));
    toggle_view_mode(&state);
    EXPECT_TRUE(pump_until([&] { return size_of(state) == std::pair{480, 610} && resizable(state); }));

    // No main loop runs between these lines, so only the synthetic configure is seen.
    struct Case {
        bool compact, shrink_pending;
        int width, height;
        bool locks;
    };
    for (const Case c : {Case{true, true, 279, 44, false}, Case{true, true, 300, 97, false},
                         Case{true, true, 280, 96, true}, Case{true, false, 300, 44, false},
                         Case{false, true, 300, 44, false}}) {
        gtk_window_set_resizable(GTK_WINDOW(state.window), TRUE);
        state.compact = c.compact;
        state.compact_shrink_pending = c.shrink_pending;
        GdkEventConfigure event{GDK_CONFIGURE, nullptr, 0, 0, 0, c.width, c.height};
        EXPECT_FALSE(on_configure_event(state.window, &event, &state));
        EXPECT_EQ(resizable(state), !c.locks) << c.width << "x" << c.height;
        EXPECT_EQ(state.compact_shrink_pending, c.shrink_pending && !c.locks);
    }
    state.compact = false;
}

// Ctrl+M and Ctrl+T themselves are pressed in the whole-program test; these are the keys
// and modifiers around them, and the pins that Wayland leaves to the desktop.
TEST_F(Modes, ShortcutsIgnoreOtherKeysAndWaylandLeavesKeepAboveToTheDesktop) {
    const guint ctrl = GDK_CONTROL_MASK;
    struct Case {
        guint keyval, modifiers;
        bool handled;  // and then the page switched
    };
    for (const Case c : {Case{GDK_KEY_m, ctrl | GDK_MOD1_MASK | GDK_LOCK_MASK, true},
                         Case{GDK_KEY_M, 0, false}, Case{GDK_KEY_m, GDK_SHIFT_MASK | GDK_MOD1_MASK, false},
                         Case{0x2d4d, ctrl, false},  // M only in the low byte
                         Case{GDK_KEY_t, ctrl, !state.wayland}}) {
        GdkEventKey event{};
        event.type = GDK_KEY_PRESS;
        event.window = gtk_widget_get_window(state.window);
        event.keyval = c.keyval;
        event.state = c.modifiers;
        const bool was_compact = state.compact;
        EXPECT_EQ(on_key_press(state.window, &event, &state), c.handled) << c.keyval;
        EXPECT_EQ(state.compact != was_compact, c.handled && c.keyval == GDK_KEY_m) << c.keyval;
    }
    EXPECT_EQ(state.keep_above, !state.wayland);

    // Iconified pauses the reader; a later event that leaves that bit alone must not resume it.
    for (const auto& [changed, now, paused] : {std::tuple{GDK_WINDOW_STATE_ICONIFIED, GDK_WINDOW_STATE_ICONIFIED, true},
                                               {GDK_WINDOW_STATE_FOCUSED, GDK_WINDOW_STATE_FOCUSED, true},
                                               {GDK_WINDOW_STATE_ICONIFIED, GdkWindowState{}, false}}) {
        GdkEventWindowState event{};
        event.type = GDK_WINDOW_STATE;
        event.changed_mask = changed;
        event.new_window_state = now;
        EXPECT_FALSE(on_window_state_event(state.window, &event, &state));
        g_mutex_lock(&state.lock);
        EXPECT_EQ(state.paused, paused) << changed;
        g_mutex_unlock(&state.lock);
    }
    if (state.wayland) {  // greyed out, saying why; a "toggled" that arrives anyway asks nothing
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(state.compact_pin_toggle), TRUE);
        for (GtkWidget* pin : {state.pin_toggle, state.compact_pin_toggle}) {
            EXPECT_FALSE(gtk_widget_get_sensitive(pin));
            EXPECT_EQ(tooltip_of(pin), "Use your desktop's window menu to enable Always on Top. "
                                       "Native Wayland does not let this app set it.");
        }
        EXPECT_FALSE(state.keep_above);
    }
}

}  // namespace
