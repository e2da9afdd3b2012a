// SPDX-License-Identifier: GPL-3.0-or-later
// keep_above_watch.h: follows keep-above changes that the X11 window manager makes itself.
#pragma once

struct AppState;

// QUIRK: GTK 3's X11 backend reports no keep-above change of a mapped window as a
// window-state event: neither one the program asked for nor one the window manager made on
// its own (its window menu, a rule, a pager). This watches the window's _NET_WM_STATE
// instead and brings the toggles in line whenever it changes. Does nothing on other
// displays. Call once the window is realized; the watch ends with the window.
void watch_keep_above(AppState* state);
