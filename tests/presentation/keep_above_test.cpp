// The pin toggles, their tooltips and the window-state events, on the real window under a
// window manager.
#include "presentation/keep_above.h"

#include <string>

#include <gtest/gtest.h>

#include "acquisition/reader_thread.h"
#include "presentation/shown_window.h"

// Last: Xlib defines macros such as None and Bool that collide with GoogleTest.
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace {

using KeepAboveTest = ShownWindow;

constexpr const char* kOnTooltip = "Stop keeping this window on top (Ctrl+T)";
constexpr const char* kOffTooltip = "Keep this window on top (Ctrl+T)";

bool active(GtkWidget* toggle) {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(toggle)) != FALSE;
}

std::string tooltip(GtkWidget* widget) {
    g_autofree gchar* text = gtk_widget_get_tooltip_text(widget);
    return text != nullptr ? text : "";
}

// keep_above, both toggles and both tooltips agree on `on`.
void expect_pins(const AppState& state, bool on) {
    EXPECT_EQ(state.keep_above, on);
    EXPECT_EQ(active(state.pin_toggle), on);
    EXPECT_EQ(active(state.compact_pin_toggle), on);
    EXPECT_EQ(tooltip(state.pin_toggle), on ? kOnTooltip : kOffTooltip);
    EXPECT_EQ(tooltip(state.compact_pin_toggle), on ? kOnTooltip : kOffTooltip);
}

gboolean send_window_state(AppState& state, int changed, int now) {
    GdkEventWindowState event{};
    event.type = GDK_WINDOW_STATE;
    event.changed_mask = static_cast<GdkWindowState>(changed);
    event.new_window_state = static_cast<GdkWindowState>(now);
    return on_window_state_event(state.window, &event, &state);
}

bool paused(AppState& state) {
    g_mutex_lock(&state.lock);
    const bool value = state.paused;
    g_mutex_unlock(&state.lock);
    return value;
}

// Asks the window manager to change the window's keep-above state, the way a pager or
// the window manager's own menu does: not through GTK.
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
    event.xclient.data.l[3] = 2;  // sent by a pager, as wmctrl does
    XSendEvent(xdisplay, DefaultRootWindow(xdisplay), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(xdisplay);
}

TEST_F(KeepAboveTest, EitherToggleMovesTheOtherAndBothTooltips) {
    gtk_button_clicked(GTK_BUTTON(state.compact_pin_toggle));
    expect_pins(state, true);
    gtk_button_clicked(GTK_BUTTON(state.pin_toggle));
    expect_pins(state, false);
}

TEST_F(KeepAboveTest, TogglesSetByTheProgramItselfAreIgnored) {
    state.syncing_widgets = true;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(state.pin_toggle), TRUE);
    state.syncing_widgets = false;
    EXPECT_FALSE(state.keep_above);
    EXPECT_FALSE(active(state.compact_pin_toggle));
}

TEST_F(KeepAboveTest, AboveStateEventsMoveThePins) {
    EXPECT_FALSE(send_window_state(state, GDK_WINDOW_STATE_ABOVE, GDK_WINDOW_STATE_ABOVE));
    expect_pins(state, true);
    // A change of another bit says nothing about the above bit it carries.
    send_window_state(state, GDK_WINDOW_STATE_MAXIMIZED, GDK_WINDOW_STATE_MAXIMIZED);
    expect_pins(state, true);
    send_window_state(state, GDK_WINDOW_STATE_ABOVE, 0);
    expect_pins(state, false);
}

TEST_F(KeepAboveTest, IconifiedStateEventsPauseAndResumeTheReader) {
    send_window_state(state, GDK_WINDOW_STATE_ICONIFIED, GDK_WINDOW_STATE_ICONIFIED);
    EXPECT_TRUE(paused(state));
    EXPECT_FALSE(state.keep_above);
    // Neither bit changed: the iconified and above bits it carries are not acted on.
    send_window_state(state, GDK_WINDOW_STATE_FOCUSED, GDK_WINDOW_STATE_FOCUSED);
    EXPECT_TRUE(paused(state));
    send_window_state(state, GDK_WINDOW_STATE_ICONIFIED, 0);
    EXPECT_FALSE(paused(state));
    send_window_state(state, GDK_WINDOW_STATE_MAXIMIZED,
                      GDK_WINDOW_STATE_MAXIMIZED | GDK_WINDOW_STATE_ICONIFIED |
                          GDK_WINDOW_STATE_ABOVE);
    EXPECT_FALSE(paused(state));
    expect_pins(state, false);
}

TEST_F(KeepAboveTest, KeepAboveSetByTheWindowManagerMovesThePins) {
    window_manager_sets_above(state, true);
    EXPECT_TRUE(pump_until([&] { return state.keep_above; }));
    expect_pins(state, true);

    window_manager_sets_above(state, false);
    EXPECT_TRUE(pump_until([&] { return !state.keep_above; }));
    expect_pins(state, false);
}

}  // namespace
