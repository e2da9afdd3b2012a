// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/shortcuts.h"

#include "app/app_state.h"
#include "presentation/view_mode.h"

namespace {

// Clearing this bit folds a Latin lower-case letter's key value onto its upper case.
constexpr guint kCaseBit = 0x20;

}  // namespace

gboolean on_key_press(GtkWidget* /*widget*/, GdkEventKey* event, gpointer data) {
    auto* state = static_cast<AppState*>(data);
    // Shift, Alt or a lock held as well do not matter.
    if ((event->state & GDK_CONTROL_MASK) == 0) {
        return FALSE;
    }
    const guint key = event->keyval & ~kCaseBit;
    if (key == GDK_KEY_M) {
        toggle_view_mode(state);
        return TRUE;
    }
    if (key == GDK_KEY_T) {
        if (state->wayland) {
            return FALSE;  // the desktop owns the state; let the key go on
        }
        // The toggle's own handler asks the window manager and moves the other toggle.
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(state->pin_toggle), !state->keep_above);
        return TRUE;
    }
    return FALSE;
}
