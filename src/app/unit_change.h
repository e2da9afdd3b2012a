// SPDX-License-Identifier: GPL-3.0-or-later
// unit_change.h: the unit chooser's handler, which re-renders and saves the unit file.
#pragma once
#include <glib/gi18n-lib.h>
#include <gtk/gtk.h>

// Shown in unit_error_label, translated, while the last save failed.
inline constexpr const char* kUnitNotSavedMessage =
    // TRANSLATORS: "the unit" is the capacity unit (Wh or mAh) the user just chose.
    N_("The unit could not be saved for next time.");

// "changed" of unit_combo; data is the AppState. The new unit is in force whether or not it
// could be saved; demo runs never save it.
void on_unit_changed(GtkComboBox* combo, gpointer data);
