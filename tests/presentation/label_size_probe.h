// label_size_probe.h: reads back the font size that set_label_font_px gave a label.
#pragma once
#include <gtk/gtk.h>

// The label's one attribute as an absolute size in pixels; -1 when it holds anything else.
inline int only_absolute_size_px(GtkLabel* label) {
    PangoAttrList* attrs = gtk_label_get_attributes(label);
    if (attrs == nullptr) {
        return -1;
    }
    GSList* list = pango_attr_list_get_attributes(attrs);
    int px = -1;
    if (g_slist_length(list) == 1) {
        const auto* attr = static_cast<PangoAttribute*>(list->data);
        if (attr->klass->type == PANGO_ATTR_ABSOLUTE_SIZE) {
            px = reinterpret_cast<const PangoAttrSize*>(attr)->size / PANGO_SCALE;
        }
    }
    g_slist_free_full(list, reinterpret_cast<GDestroyNotify>(pango_attribute_destroy));
    return px;
}
