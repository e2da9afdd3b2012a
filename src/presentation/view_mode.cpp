// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/view_mode.h"

#include "app/app_state.h"
#include "presentation/render_snapshot.h"

namespace {

// The size the compact strip asks for.
constexpr int kCompactWidth = 300;   // px
constexpr int kCompactHeight = 44;   // px
// A configure at least this wide and at most this high has reached the compact size. The
// margins leave room for themes and window managers that round the size a little.
constexpr int kCompactMinWidth = 280;   // px
constexpr int kCompactMaxHeight = 96;   // px

}  // namespace

void toggle_view_mode(AppState* state) {
    GtkWindow* window = GTK_WINDOW(state->window);
    state->compact_shrink_pending = false;
    state->compact = !state->compact;
    if (state->compact_resize_source != 0) {
        g_source_remove(state->compact_resize_source);
        state->compact_resize_source = 0;
    }
    gtk_window_set_resizable(window, TRUE);

    if (state->compact) {
        int width = 0;
        int height = 0;
        gtk_window_get_size(window, &width, &height);
        // QUIRK: gtk_window_get_size reports the last configured size. Right after a switch
        // back from the strip the window may not have grown yet, and the strip's size would
        // then replace the user's expanded size for good. No expanded window is that low
        // (the page asks for 390 px), so such a size keeps the stored one.
        if (height > kCompactMaxHeight) {
            state->expanded_width = width;
            state->expanded_height = height;
        }
        gtk_stack_set_visible_child_name(GTK_STACK(state->stack), "compact");
        // The shrink waits for an idle, so that a switch straight back (Ctrl+M typed twice)
        // cancels it before the window has changed size at all.
        state->compact_resize_source = g_idle_add(compact_resize_idle, state);
    } else {
        gtk_stack_set_visible_child_name(GTK_STACK(state->stack), "expanded");
        gtk_window_resize(window, state->expanded_width, state->expanded_height);
    }
    render_snapshot(*state);
}

void on_mode_button_clicked(GtkButton* /*button*/, gpointer state) {
    toggle_view_mode(static_cast<AppState*>(state));
}

gboolean compact_resize_idle(gpointer data) {
    auto* state = static_cast<AppState*>(data);
    state->compact_resize_source = 0;
    if (state->window_destroyed || !state->compact) {
        return FALSE;
    }
    state->compact_shrink_pending = true;
    GtkWindow* window = GTK_WINDOW(state->window);
    gtk_window_set_resizable(window, TRUE);
    gtk_window_set_default_size(window, kCompactWidth, kCompactHeight);
    gtk_window_resize(window, kCompactWidth, kCompactHeight);
    return FALSE;
}

gboolean on_configure_event(GtkWidget* widget, GdkEventConfigure* event, gpointer data) {
    auto* state = static_cast<AppState*>(data);
    if (!state->compact || !state->compact_shrink_pending) {
        return FALSE;
    }
    if (event->width < kCompactMinWidth || event->height > kCompactMaxHeight) {
        return FALSE;
    }
    GtkWindow* window = GTK_WINDOW(widget);
    if (!gtk_window_get_resizable(window)) {
        return FALSE;
    }
    // Locked from here on, so the user cannot drag the strip out of shape; the next switch
    // makes the window resizable again.
    state->compact_shrink_pending = false;
    gtk_window_set_resizable(window, FALSE);
    return FALSE;
}
