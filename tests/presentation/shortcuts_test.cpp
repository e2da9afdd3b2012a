// Ctrl+M and Ctrl+T through the window's key handler, with synthetic key events.
#include "presentation/shortcuts.h"

#include <gtest/gtest.h>

#include "presentation/shown_window.h"

namespace {

using ShortcutsTest = ShownWindow;

gboolean press(AppState& state, guint keyval, guint modifiers) {
    GdkEventKey event{};
    event.type = GDK_KEY_PRESS;
    event.window = gtk_widget_get_window(state.window);
    event.keyval = keyval;
    event.state = modifiers;
    return on_key_press(state.window, &event, &state);
}

struct Chord {
    guint keyval;
    guint modifiers;
    const char* name;
};

TEST_F(ShortcutsTest, ControlMSwitchesThePageInBothModes) {
    const Chord chords[] = {
        {GDK_KEY_m, GDK_CONTROL_MASK, "Ctrl+m"},
        {GDK_KEY_M, GDK_CONTROL_MASK | GDK_SHIFT_MASK, "Ctrl+Shift+M"},
        {GDK_KEY_m, GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_LOCK_MASK, "Ctrl+Alt+m, caps lock"},
        {GDK_KEY_M, GDK_CONTROL_MASK, "Ctrl+M"},
    };
    bool compact = false;
    for (const Chord& chord : chords) {
        SCOPED_TRACE(chord.name);
        EXPECT_TRUE(press(state, chord.keyval, chord.modifiers));
        compact = !compact;
        EXPECT_EQ(state.compact, compact);
    }
}

TEST_F(ShortcutsTest, ControlTFlipsKeepAbove) {
    const Chord chords[] = {
        {GDK_KEY_T, GDK_CONTROL_MASK, "Ctrl+T"},
        {GDK_KEY_t, GDK_CONTROL_MASK, "Ctrl+t"},
        {GDK_KEY_T, GDK_CONTROL_MASK | GDK_SHIFT_MASK, "Ctrl+Shift+T"},
        {GDK_KEY_t, GDK_CONTROL_MASK | GDK_MOD1_MASK, "Ctrl+Alt+t"},
    };
    bool on = false;
    for (const Chord& chord : chords) {
        SCOPED_TRACE(chord.name);
        EXPECT_TRUE(press(state, chord.keyval, chord.modifiers));
        on = !on;
        EXPECT_EQ(state.keep_above, on);
        EXPECT_EQ(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(state.pin_toggle)) != FALSE, on);
        EXPECT_EQ(
            gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(state.compact_pin_toggle)) != FALSE,
            on);
    }
}

TEST_F(ShortcutsTest, OtherKeysGoOn) {
    const Chord chords[] = {
        {GDK_KEY_T, 0, "T"},
        {GDK_KEY_m, GDK_SHIFT_MASK | GDK_MOD1_MASK, "Shift+Alt+m"},
        {GDK_KEY_x, GDK_CONTROL_MASK, "Ctrl+x"},
        {GDK_KEY_Return, GDK_CONTROL_MASK, "Ctrl+Return"},
        // 0x2d4d differs from M only above the low byte.
        {0x2d4d, GDK_CONTROL_MASK, "Ctrl+0x2d4d"},
    };
    for (const Chord& chord : chords) {
        SCOPED_TRACE(chord.name);
        EXPECT_FALSE(press(state, chord.keyval, chord.modifiers));
        EXPECT_FALSE(state.compact);
        EXPECT_FALSE(state.keep_above);
    }
}

}  // namespace
