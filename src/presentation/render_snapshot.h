// SPDX-License-Identifier: GPL-3.0-or-later
// render_snapshot.h: rewrites the visible page's widgets from the AppState.
#pragma once

struct AppState;

// UI thread only. Changes a widget only where what it shows differs.
void render_snapshot(AppState& state);
