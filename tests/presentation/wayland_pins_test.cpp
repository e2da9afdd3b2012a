// The pins and Ctrl+T as a native Wayland client, run under a headless compositor.
#include <string>

#include <gtest/gtest.h>

#include "presentation/keep_above.h"
#include "presentation/shortcuts.h"
#include "presentation/shown_window.h"

namespace {

using WaylandPinsTest = ShownWindow;

constexpr const char* kWaylandTooltip =
    "Use your desktop's window menu to enable Always on Top. Native Wayland does not let "
    "this app set it.";

std::string tooltip(GtkWidget* widget) {
    g_autofree gchar* text = gtk_widget_get_tooltip_text(widget);
    return text != nullptr ? text : "";
}

TEST_F(WaylandPinsTest, PinsAreInsensitiveAndPointToTheDesktop) {
    ASSERT_TRUE(state.wayland) << G_OBJECT_TYPE_NAME(gdk_display_get_default());
    for (GtkWidget* toggle : {state.pin_toggle, state.compact_pin_toggle}) {
        EXPECT_FALSE(gtk_widget_get_sensitive(toggle));
        EXPECT_EQ(tooltip(toggle), kWaylandTooltip);
    }
    // A "toggled" that arrives anyway asks for nothing.
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(state.compact_pin_toggle), TRUE);
    EXPECT_FALSE(state.keep_above);
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(state.pin_toggle)));

    // The desktop may still change the state; the toggles follow, with the same tooltip.
    GdkEventWindowState event{};
    event.type = GDK_WINDOW_STATE;
    event.changed_mask = GDK_WINDOW_STATE_ABOVE;
    event.new_window_state = GDK_WINDOW_STATE_ABOVE;
    on_window_state_event(state.window, &event, &state);
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(state.pin_toggle)));
    EXPECT_EQ(tooltip(state.compact_pin_toggle), kWaylandTooltip);
}

TEST_F(WaylandPinsTest, ControlTIsLeftToOthersAndControlMStillSwitches) {
    GdkEventKey event{};
    event.type = GDK_KEY_PRESS;
    event.window = gtk_widget_get_window(state.window);
    event.state = GDK_CONTROL_MASK;
    event.keyval = GDK_KEY_t;
    EXPECT_FALSE(on_key_press(state.window, &event, &state));
    EXPECT_FALSE(state.keep_above);
    event.keyval = GDK_KEY_m;
    EXPECT_TRUE(on_key_press(state.window, &event, &state));
    EXPECT_TRUE(state.compact);
}

}  // namespace
