// The compact/expanded state machine on the real window, under a window manager.
#include "presentation/view_mode.h"

#include <cstring>

#include <gtest/gtest.h>

#include "presentation/shown_window.h"

namespace {

using ViewModeTest = ShownWindow;

const char* visible_page(const AppState& state) {
    return gtk_stack_get_visible_child_name(GTK_STACK(state.stack));
}

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

// Resizes the expanded window as a user would and waits until it has that size.
void resize_by_user(AppState& state, int width, int height) {
    gtk_window_resize(GTK_WINDOW(state.window), width, height);
    ASSERT_TRUE(pump_until([&] {
        const WindowSize size = window_size(state);
        return size.width == width && size.height == height;
    }));
}

bool locked_at_compact_size(const AppState& state) {
    const WindowSize size = window_size(state);
    return !resizable(state) && size.width >= 280 && size.height <= 96;
}

TEST_F(ViewModeTest, CompactLocksAtItsSizeAndExpandedRestoresTheUsersSize) {
    resize_by_user(state, 500, 600);

    toggle_view_mode(&state);
    EXPECT_TRUE(state.compact);
    EXPECT_STREQ(visible_page(state), "compact");
    EXPECT_EQ(state.expanded_width, 500);
    EXPECT_EQ(state.expanded_height, 600);
    EXPECT_NE(state.compact_resize_source, 0U);
    ASSERT_TRUE(pump_until([&] { return locked_at_compact_size(state); }));
    EXPECT_FALSE(state.compact_shrink_pending);
    EXPECT_EQ(state.compact_resize_source, 0U);

    toggle_view_mode(&state);
    EXPECT_FALSE(state.compact);
    EXPECT_STREQ(visible_page(state), "expanded");
    EXPECT_TRUE(resizable(state));
    ASSERT_TRUE(pump_until([&] {
        const WindowSize size = window_size(state);
        return size.width == 500 && size.height == 600;
    }));
}

TEST_F(ViewModeTest, SwitchingBackBeforeTheShrinkNeverShrinks) {
    resize_by_user(state, 450, 620);
    toggle_view_mode(&state);
    // A configure event before the shrink idle has run is not the strip's.
    send_configure(state, 300, 44);
    EXPECT_TRUE(resizable(state));

    toggle_view_mode(&state);
    EXPECT_EQ(state.compact_resize_source, 0U);
    drain_idles();
    EXPECT_FALSE(state.compact_shrink_pending);
    EXPECT_TRUE(resizable(state));
    EXPECT_STREQ(visible_page(state), "expanded");
    int default_width = 0;
    int default_height = 0;
    gtk_window_get_default_size(GTK_WINDOW(state.window), &default_width, &default_height);
    EXPECT_NE(default_height, 44) << "the shrink idle ran";
    const WindowSize size = window_size(state);
    EXPECT_EQ(size.width, 450);
    EXPECT_EQ(size.height, 620);
}

TEST_F(ViewModeTest, QuickSwitchesFromTheStripKeepTheUsersExpandedSize) {
    resize_by_user(state, 480, 610);
    toggle_view_mode(&state);
    ASSERT_TRUE(pump_until([&] { return locked_at_compact_size(state); }));

    // Expanded and straight back: the window is still strip-sized when it is measured.
    toggle_view_mode(&state);
    toggle_view_mode(&state);
    EXPECT_EQ(state.expanded_width, 480);
    EXPECT_EQ(state.expanded_height, 610);

    ASSERT_TRUE(pump_until([&] { return locked_at_compact_size(state); }));
    toggle_view_mode(&state);
    ASSERT_TRUE(pump_until([&] {
        const WindowSize size = window_size(state);
        return size.width == 480 && size.height == 610;
    }));
}

TEST_F(ViewModeTest, OnlyAConfigureAtTheCompactSizeLocksTheStrip) {
    struct Case {
        bool compact;
        bool shrink_pending;
        int width;
        int height;
        bool locks;
    };
    const Case cases[] = {
        {true, true, 279, 44, false},  {true, true, 300, 97, false},
        {true, true, 280, 96, true},   {true, true, 300, 44, true},
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

TEST_F(ViewModeTest, ShrinkIdleDoesNothingOnceTheModeOrTheWindowIsGone) {
    toggle_view_mode(&state);
    toggle_view_mode(&state);
    EXPECT_FALSE(compact_resize_idle(&state));
    EXPECT_FALSE(state.compact_shrink_pending);

    toggle_view_mode(&state);
    state.window_destroyed = true;
    const guint source = state.compact_resize_source;
    EXPECT_FALSE(compact_resize_idle(&state));
    EXPECT_FALSE(state.compact_shrink_pending);
    EXPECT_EQ(state.compact_resize_source, 0U);
    g_source_remove(source);
    state.window_destroyed = false;
}

}  // namespace
