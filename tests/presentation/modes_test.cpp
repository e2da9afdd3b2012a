// Page modes, pins and shortcuts on the real window, under a window manager.
#include <gtest/gtest.h>

#include "acquisition/reader_thread.h"
#include "presentation/keep_above.h"
#include "presentation/view_mode.h"
#include "widget_probes.h"

// Last: Xlib defines macros such as None and Bool that collide with GoogleTest.
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace {

using ViewModeTest = ShownWindow;
using KeepAboveTest = ShownWindow;
using ShortcutsTest = ShownWindow;

bool resizable(const AppState& state) {
    return gtk_window_get_resizable(GTK_WINDOW(state.window)) != FALSE;
}

gboolean send_configure(AppState& state, int width, int height) {
    GdkEventConfigure event{};
    event.type = GDK_CONFIGURE;
    event.width = width;
    event.height = height;
    return on_configure_event(state.window, &event, &state);
}

bool locked_at_compact_size(const AppState& state) {
    int width = 0;
    int height = 0;
    gtk_window_get_size(GTK_WINDOW(state.window), &width, &height);
    return !resizable(state) && width >= 280 && height <= 96;
}

TEST_F(ViewModeTest, CompactLocksAndExpandedRestoresTheUsersSizeEvenAfterQuickSwitches) {
    gtk_window_resize(GTK_WINDOW(state.window), 480, 610);  // as the user does
    ASSERT_TRUE(pump_until([&] { return has_size(state, 480, 610); }));
    toggle_view_mode(&state);
    EXPECT_STREQ(gtk_stack_get_visible_child_name(GTK_STACK(state.stack)), "compact");
    ASSERT_TRUE(pump_until([&] { return locked_at_compact_size(state); }));

    // Expanded and straight back: the window is still strip-sized when it is measured.
    toggle_view_mode(&state);
    toggle_view_mode(&state);
    EXPECT_EQ(state.expanded_width, 480);
    EXPECT_EQ(state.expanded_height, 610);
    ASSERT_TRUE(pump_until([&] { return locked_at_compact_size(state); }));

    toggle_view_mode(&state);
    EXPECT_STREQ(gtk_stack_get_visible_child_name(GTK_STACK(state.stack)), "expanded");
    EXPECT_TRUE(resizable(state));
    EXPECT_TRUE(pump_until([&] { return has_size(state, 480, 610); }));
}

TEST_F(ViewModeTest, SwitchingBackBeforeTheShrinkNeverShrinks) {
    gtk_window_resize(GTK_WINDOW(state.window), 450, 620);
    ASSERT_TRUE(pump_until([&] { return has_size(state, 450, 620); }));
    toggle_view_mode(&state);
    send_configure(state, 300, 44);  // before the shrink idle: not the strip's
    EXPECT_TRUE(resizable(state));
    toggle_view_mode(&state);
    EXPECT_EQ(state.compact_resize_source, 0U);
    drain_idles();
    EXPECT_FALSE(state.compact_shrink_pending);
    EXPECT_TRUE(resizable(state));
    int width = 0;
    int height = 0;
    gtk_window_get_default_size(GTK_WINDOW(state.window), &width, &height);
    EXPECT_NE(height, 44) << "the shrink idle ran";
    EXPECT_TRUE(has_size(state, 450, 620));
}

TEST_F(ViewModeTest, OnlyAConfigureAtTheCompactSizeLocksTheStrip) {
    struct Case {
        bool compact, shrink_pending;
        int width, height;
        bool locks;
    };
    const Case cases[] = {
        {true, true, 279, 44, false},  {true, true, 300, 97, false},  {true, true, 280, 96, true},
        {true, false, 300, 44, false}, {false, true, 300, 44, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " compact=" << c.compact
                                        << " pending=" << c.shrink_pending);
        // No main loop runs between these lines, so only the synthetic event is seen.
        gtk_window_set_resizable(GTK_WINDOW(state.window), TRUE);
        state.compact = c.compact;
        state.compact_shrink_pending = c.shrink_pending;
        EXPECT_FALSE(send_configure(state, c.width, c.height));
        EXPECT_EQ(resizable(state), !c.locks);
        EXPECT_EQ(state.compact_shrink_pending, c.shrink_pending && !c.locks);
    }
    state.compact = false;
    gtk_window_set_resizable(GTK_WINDOW(state.window), TRUE);
}

constexpr const char* kOnTooltip = "Stop keeping this window on top (Ctrl+T)";
constexpr const char* kOffTooltip = "Keep this window on top (Ctrl+T)";

// keep_above, both toggles and both tooltips agree on `on`.
void expect_pins(const AppState& state, bool on) {
    EXPECT_EQ(state.keep_above, on);
    for (GtkWidget* pin : {state.pin_toggle, state.compact_pin_toggle}) {
        EXPECT_EQ(toggle_active(pin), on);
        EXPECT_EQ(tooltip_of(pin), on ? kOnTooltip : kOffTooltip);
    }
}

bool paused(AppState& state) {
    g_mutex_lock(&state.lock);
    const bool value = state.paused;
    g_mutex_unlock(&state.lock);
    return value;
}

// Asks the window manager for keep-above the way a pager does: not through GTK.
void window_manager_sets_above(const AppState& state, bool on) {
    GdkWindow* window = gtk_widget_get_window(state.window);
    GdkDisplay* display = gdk_window_get_display(window);
    Display* xdisplay = GDK_DISPLAY_XDISPLAY(display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = GDK_WINDOW_XID(window);
    event.xclient.message_type = gdk_x11_get_xatom_by_name_for_display(display, "_NET_WM_STATE");
    event.xclient.format = 32;
    event.xclient.data.l[0] = on ? 1 : 0;  // _NET_WM_STATE_ADD or _REMOVE
    event.xclient.data.l[1] =
        static_cast<long>(gdk_x11_get_xatom_by_name_for_display(display, "_NET_WM_STATE_ABOVE"));
    event.xclient.data.l[3] = 2;  // sent by a pager
    XSendEvent(xdisplay, DefaultRootWindow(xdisplay), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(xdisplay);
}

TEST_F(KeepAboveTest, EitherToggleMovesTheOtherAndTheProgramsOwnChangesAreIgnored) {
    gtk_button_clicked(GTK_BUTTON(state.compact_pin_toggle));
    expect_pins(state, true);
    gtk_button_clicked(GTK_BUTTON(state.pin_toggle));
    expect_pins(state, false);

    state.syncing_widgets = true;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(state.pin_toggle), TRUE);
    state.syncing_widgets = false;
    EXPECT_FALSE(state.keep_above);
    EXPECT_FALSE(toggle_active(state.compact_pin_toggle));
}

TEST_F(KeepAboveTest, WindowStateEventsActOnlyOnTheBitsThatChanged) {
    constexpr int kAbove = GDK_WINDOW_STATE_ABOVE;
    constexpr int kIconified = GDK_WINDOW_STATE_ICONIFIED;
    constexpr int kFocused = GDK_WINDOW_STATE_FOCUSED;
    struct Case {
        int changed, now;
        bool above, paused;
    };
    const Case cases[] = {
        {kAbove, kAbove, true, false},
        {kFocused, kFocused, true, false},  // neither bit changed: the pins stay
        {kAbove, 0, false, false},
        {kIconified, kIconified, false, true},
        {kFocused, kFocused | kAbove, false, true},  // neither bit changed: nothing moves
        {kIconified, 0, false, false},
        {kFocused, kFocused | kIconified | kAbove, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "changed " << c.changed << " now " << c.now);
        EXPECT_FALSE(send_window_state(state, c.changed, c.now));
        expect_pins(state, c.above);
        EXPECT_EQ(paused(state), c.paused);
    }
}

TEST_F(KeepAboveTest, KeepAboveSetByTheWindowManagerMovesThePins) {
    window_manager_sets_above(state, true);
    EXPECT_TRUE(pump_until([&] { return state.keep_above; }));
    expect_pins(state, true);
    window_manager_sets_above(state, false);
    EXPECT_TRUE(pump_until([&] { return !state.keep_above; }));
    expect_pins(state, false);
}

TEST_F(ShortcutsTest, ControlMSwitchesThePageAndControlTFlipsThePins) {
    struct Case {
        guint keyval, modifiers;
        bool handled, compact, above;  // compact and above: the state after the key
    };
    const guint ctrl = GDK_CONTROL_MASK;
    const Case cases[] = {
        {GDK_KEY_m, ctrl, true, true, false},
        {GDK_KEY_M, ctrl | GDK_SHIFT_MASK, true, false, false},
        {GDK_KEY_m, ctrl | GDK_MOD1_MASK | GDK_LOCK_MASK, true, true, false},
        {GDK_KEY_M, ctrl, true, false, false},
        {GDK_KEY_T, ctrl, true, false, true},
        {GDK_KEY_t, ctrl, true, false, false},
        {GDK_KEY_T, ctrl | GDK_SHIFT_MASK, true, false, true},
        {GDK_KEY_T, 0, false, false, true},
        {GDK_KEY_m, GDK_SHIFT_MASK | GDK_MOD1_MASK, false, false, true},
        {GDK_KEY_x, ctrl, false, false, true},
        {0x2d4d, ctrl, false, false, true},  // differs from M only above the low byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.keyval << " modifiers " << c.modifiers);
        EXPECT_EQ(press_key(state, c.keyval, c.modifiers) != FALSE, c.handled);
        EXPECT_EQ(state.compact, c.compact);
        expect_pins(state, c.above);
    }
}

}  // namespace
