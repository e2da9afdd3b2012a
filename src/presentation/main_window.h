// SPDX-License-Identifier: GPL-3.0-or-later
// main_window.h: the program's one window, its two pages and its style sheet.
#pragma once

struct AppState;

// Builds the window with both pages, fills every widget field of the state, connects every
// signal and shows the window on the expanded page. UI thread, once, before the reader
// thread starts; state.unit and state.demo_mode must have their final values.
void build_main_window(AppState& state);

// The program's style sheet, one line of CSS, as the window installs it.
const char* main_window_style_sheet();
