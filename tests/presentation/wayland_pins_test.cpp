// The pins and Ctrl+T as a native Wayland client, run under a headless compositor.
#include <gtest/gtest.h>

#include "widget_probes.h"

namespace {

using WaylandPinsTest = ShownWindow;

constexpr const char* kWaylandTooltip =
    "Use your desktop's window menu to enable Always on Top. Native Wayland does not let "
    "this app set it.";

TEST_F(WaylandPinsTest, PinsPointToTheDesktopAndFollowIt) {
    ASSERT_TRUE(state.wayland) << G_OBJECT_TYPE_NAME(gdk_display_get_default());
    for (GtkWidget* toggle : {state.pin_toggle, state.compact_pin_toggle}) {
        EXPECT_FALSE(gtk_widget_get_sensitive(toggle));
        EXPECT_EQ(tooltip_of(toggle), kWaylandTooltip);
    }
    // A "toggled" that arrives anyway asks for nothing.
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(state.compact_pin_toggle), TRUE);
    EXPECT_FALSE(state.keep_above);
    EXPECT_FALSE(toggle_active(state.pin_toggle));

    // The desktop may still change the state; the toggles follow, with the same tooltip.
    send_window_state(state, GDK_WINDOW_STATE_ABOVE, GDK_WINDOW_STATE_ABOVE);
    EXPECT_TRUE(toggle_active(state.pin_toggle));
    EXPECT_EQ(tooltip_of(state.compact_pin_toggle), kWaylandTooltip);
}

TEST_F(WaylandPinsTest, ControlTIsLeftToOthersAndControlMStillSwitches) {
    EXPECT_FALSE(press_key(state, GDK_KEY_t, GDK_CONTROL_MASK));
    EXPECT_FALSE(state.keep_above);
    EXPECT_TRUE(press_key(state, GDK_KEY_m, GDK_CONTROL_MASK));
    EXPECT_TRUE(state.compact);
}

}  // namespace
