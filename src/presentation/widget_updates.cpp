// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/widget_updates.h"

#include <cstring>

namespace {

constexpr const char* kFontPxKey = "tavrino-font-px";

bool same_text(const char* a, const char* b) {
    return a != nullptr && b != nullptr && std::strcmp(a, b) == 0;
}

}  // namespace

void set_label_text(GtkLabel* label, const char* text) {
    if (same_text(gtk_label_get_text(label), text)) {
        return;
    }
    gtk_label_set_text(label, text);
}

void set_tooltip_text(GtkWidget* widget, const char* text) {
    g_autofree gchar* current = gtk_widget_get_tooltip_text(widget);
    if (same_text(current, text)) {
        return;
    }
    gtk_widget_set_tooltip_text(widget, text);
}

void set_accessible_name(GtkWidget* widget, const char* text) {
    AtkObject* accessible = gtk_widget_get_accessible(widget);
    if (same_text(atk_object_get_name(accessible), text)) {
        return;
    }
    atk_object_set_name(accessible, text);
}

void set_label_font_px(GtkLabel* label, int px) {
    // The size lives in the data pointer itself; a label that never got one reads 0.
    const int last = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(label), kFontPxKey));
    if (last == px) {
        return;
    }
    // 1024 Pango units per pixel for an absolute size.
    PangoAttrList* attrs = pango_attr_list_new();
    pango_attr_list_insert(attrs, pango_attr_size_new_absolute(px * PANGO_SCALE));
    gtk_label_set_attributes(label, attrs);
    pango_attr_list_unref(attrs);
    g_object_set_data(G_OBJECT(label), kFontPxKey, GINT_TO_POINTER(px));
}
