// snapshot_application.h: applying a published snapshot, and the battery selector.
#pragma once
#include <gtk/gtk.h>

// Idle callback scheduled by the reader thread; takes pending_snapshot. Runs once.
gboolean apply_snapshot_idle(gpointer state);
// "changed" of battery_combo.
void on_battery_changed(GtkComboBox* combo, gpointer state);
