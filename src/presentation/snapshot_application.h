// SPDX-License-Identifier: GPL-3.0-or-later
// snapshot_application.h: applying a published snapshot, and the battery selector.
#pragma once
#include <gtk/gtk.h>

// Idle callback scheduled by the reader thread; takes pending_snapshot, makes it the shown
// snapshot, keeps the battery choice valid, rebuilds the selector only when the list of
// batteries changed, and renders. Runs once (returns FALSE).
gboolean apply_snapshot_idle(gpointer data);
// "changed" of battery_combo: the user picked another battery.
void on_battery_changed(GtkComboBox* combo, gpointer data);
