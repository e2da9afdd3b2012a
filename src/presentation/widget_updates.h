// SPDX-License-Identifier: GPL-3.0-or-later
// widget_updates.h: compare-before-set updates, so a steady battery changes no widget.
#pragma once
#include <gtk/gtk.h>

// Each sets its value only when it differs from what the widget holds now.
void set_label_text(GtkLabel* label, const char* text);
// Also sets the tooltip when the widget has none, even for an empty text.
void set_tooltip_text(GtkWidget* widget, const char* text);
// Also sets the name when the accessible object has none.
void set_accessible_name(GtkWidget* widget, const char* text);
// Gives the label's text an absolute size in pixels (replacing its other Pango
// attributes), unless that size was the last one given. The size is remembered on the
// label under "tavrino-font-px".
void set_label_font_px(GtkLabel* label, int px);
