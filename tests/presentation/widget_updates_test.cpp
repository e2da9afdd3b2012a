#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "label_size_probe.h"
#include "notify_counter.h"
#include "presentation/widget_updates.h"

namespace {

// Widgets of these tests are floating and owned by the test.
struct OwnedWidget {
    GtkWidget* widget;
    explicit OwnedWidget(GtkWidget* w) : widget(g_object_ref_sink(w)) {}
    ~OwnedWidget() {
        gtk_widget_destroy(widget);
        g_object_unref(widget);
    }
    OwnedWidget(const OwnedWidget&) = delete;
    OwnedWidget& operator=(const OwnedWidget&) = delete;
};

TEST(WidgetUpdatesTest, LabelTextIsSetOnlyWhenItDiffers) {
    OwnedWidget label(gtk_label_new("12.48 W"));
    NotifyCounter counter;
    counter.watch_widget(label.widget);
    set_label_text(GTK_LABEL(label.widget), "12.48 W");
    EXPECT_EQ(counter.count(), 0) << counter.changes();
    set_label_text(GTK_LABEL(label.widget), "12.49 W");
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(label.widget)), "12.49 W");
    EXPECT_GT(counter.count(), 0);
    counter.reset();
    set_label_text(GTK_LABEL(label.widget), "12.49 W");
    EXPECT_EQ(counter.count(), 0) << counter.changes();
}

TEST(WidgetUpdatesTest, TooltipIsSetWhenMissingEvenIfEmpty) {
    OwnedWidget box(gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0));
    NotifyCounter counter;
    counter.watch(box.widget);
    set_tooltip_text(box.widget, "");
    EXPECT_GT(counter.count(), 0) << "no tooltip yet: the empty text is still given";

    set_tooltip_text(box.widget, "Charging\nSample data · preview only.");
    counter.reset();
    set_tooltip_text(box.widget, "Charging\nSample data · preview only.");
    EXPECT_EQ(counter.count(), 0) << counter.changes();
    // Markup characters survive the round trip through GTK, so they compare equal too.
    set_tooltip_text(box.widget, "A & B <1>");
    g_autofree gchar* tip = gtk_widget_get_tooltip_text(box.widget);
    EXPECT_STREQ(tip, "A & B <1>");
    counter.reset();
    set_tooltip_text(box.widget, "A & B <1>");
    EXPECT_EQ(counter.count(), 0) << counter.changes();
}

TEST(WidgetUpdatesTest, AccessibleNameIsSetWhenMissingOrDifferent) {
    OwnedWidget box(gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0));
    AtkObject* accessible = gtk_widget_get_accessible(box.widget);
    NotifyCounter counter;
    counter.watch(accessible);
    ASSERT_EQ(atk_object_get_name(accessible), nullptr);
    // ATK announces no first name, only changes of one.
    set_accessible_name(box.widget, "Remaining capacity: 35.33 Wh");
    EXPECT_STREQ(atk_object_get_name(accessible), "Remaining capacity: 35.33 Wh");
    set_accessible_name(box.widget, "Remaining capacity: 35.34 Wh");
    EXPECT_STREQ(atk_object_get_name(accessible), "Remaining capacity: 35.34 Wh");
    EXPECT_GT(counter.count(), 0);
    counter.reset();
    set_accessible_name(box.widget, "Remaining capacity: 35.34 Wh");
    EXPECT_EQ(counter.count(), 0) << counter.changes();
}

TEST(WidgetUpdatesTest, FontSizeReplacesOtherAttributesOnce) {
    OwnedWidget label(gtk_label_new("12.48 W"));
    GtkLabel* gtk_label = GTK_LABEL(label.widget);
    EXPECT_EQ(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(label.widget), "tavrino-font-px")), 0);

    PangoAttrList* styled = pango_attr_list_new();
    pango_attr_list_insert(styled, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
    pango_attr_list_insert(styled, pango_attr_size_new(30 * PANGO_SCALE));
    gtk_label_set_attributes(gtk_label, styled);
    pango_attr_list_unref(styled);

    set_label_font_px(gtk_label, 32);
    EXPECT_EQ(only_absolute_size_px(gtk_label), 32);
    EXPECT_EQ(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(label.widget), "tavrino-font-px")), 32);

    PangoAttrList* first = gtk_label_get_attributes(gtk_label);
    NotifyCounter counter;
    counter.watch_widget(label.widget);
    set_label_font_px(gtk_label, 32);
    EXPECT_EQ(counter.count(), 0) << counter.changes();
    EXPECT_EQ(gtk_label_get_attributes(gtk_label), first);

    set_label_font_px(gtk_label, 24);
    EXPECT_EQ(only_absolute_size_px(gtk_label), 24);
    EXPECT_EQ(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(label.widget), "tavrino-font-px")), 24);
}

}  // namespace
