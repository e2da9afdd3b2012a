// unit_change.h: the unit chooser's handler, which re-renders and saves the unit file.
#pragma once
#include <gtk/gtk.h>

// "changed" of unit_combo.
void on_unit_changed(GtkComboBox* combo, gpointer state);
