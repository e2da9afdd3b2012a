// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/keep_above_watch.h"

#include <X11/Xatom.h>
#include <gdk/gdkx.h>

#include "app/app_state.h"
#include "presentation/keep_above.h"

namespace {

// Whether the window manager lists _NET_WM_STATE_ABOVE among the window's states now. A
// missing property (a withdrawn window, or one in no state at all) means not above.
bool window_is_above(GdkWindow* window) {
    GdkDisplay* display = gdk_window_get_display(window);
    Display* xdisplay = GDK_DISPLAY_XDISPLAY(display);
    const Atom state_atom = gdk_x11_get_xatom_by_name_for_display(display, "_NET_WM_STATE");
    const Atom above_atom =
        gdk_x11_get_xatom_by_name_for_display(display, "_NET_WM_STATE_ABOVE");

    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long bytes_after = 0;
    unsigned char* data = nullptr;
    gdk_x11_display_error_trap_push(display);
    const int status = XGetWindowProperty(xdisplay, GDK_WINDOW_XID(window), state_atom, 0,
                                          G_MAXLONG, False, XA_ATOM, &type, &format, &count,
                                          &bytes_after, &data);
    const bool failed = gdk_x11_display_error_trap_pop(display) != 0;
    bool above = false;
    if (!failed && status == Success && type == XA_ATOM && format == 32 && data != nullptr) {
        // Format 32 properties come back as an array of longs, whatever the word size.
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            above = above || atoms[i] == above_atom;
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    return above;
}

GdkFilterReturn on_window_xevent(GdkXEvent* native, GdkEvent* /*event*/, gpointer data) {
    auto* state = static_cast<AppState*>(data);
    const auto* xevent = static_cast<const XEvent*>(native);
    if (xevent->type != PropertyNotify || state->window_destroyed) {
        return GDK_FILTER_CONTINUE;
    }
    GdkWindow* window = gtk_widget_get_window(state->window);
    GdkDisplay* display = gdk_window_get_display(window);
    if (xevent->xproperty.atom !=
        gdk_x11_get_xatom_by_name_for_display(display, "_NET_WM_STATE")) {
        return GDK_FILTER_CONTINUE;
    }
    // The property is read now rather than trusted from the event: of several quick changes
    // the last notification then always leaves the toggles at the window's real state.
    const bool above = window_is_above(window);
    if (above != state->keep_above) {
        sync_keep_above_widgets(state, above);
    }
    // GDK reads the same property for the maximized and iconified states.
    return GDK_FILTER_CONTINUE;
}

}  // namespace

void watch_keep_above(AppState* state) {
    GdkWindow* window = gtk_widget_get_window(state->window);
    if (window == nullptr || !GDK_IS_X11_DISPLAY(gdk_window_get_display(window))) {
        return;
    }
    // GDK selects PropertyChangeMask on its toplevels already; the filter only listens in.
    gdk_window_add_filter(window, on_window_xevent, state);
}
