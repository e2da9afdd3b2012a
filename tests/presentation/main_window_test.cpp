// Catches a window that starts wrong before its first reading: title, captions, the unit
// chooser, which widgets show, the placeholders, a unit saved by the build itself, and a
// style sheet that fails to parse or to apply.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/test_window.h"
#include "app/location_env.h"
#include "widget_probes.h"

namespace {

// CSS font sizes are kept in points: px = pt * 96 / 72 at Xvfb's resolution.
double font_px(GtkWidget* widget) {
    PangoFontDescription* font = nullptr;
    GtkStyleContext* context = gtk_widget_get_style_context(widget);
    gtk_style_context_get(context, gtk_style_context_get_state(context), "font", &font, nullptr);
    const double points = static_cast<double>(pango_font_description_get_size(font)) / PANGO_SCALE;
    pango_font_description_free(font);
    return points * 96.0 / 72.0;
}

TEST(MainWindow, StartStateInEveryUnitAndMode) {
    const FixtureTree tree;
    locate_unit_file(tree.base.c_str());
    for (const bool demo : {false, true}) {
        const TestWindow built(demo ? CapacityUnit::mAh : CapacityUnit::Wh, demo);
        const AppState& s = built.state;
        GList* footer = gtk_container_get_children(GTK_CONTAINER(gtk_widget_get_parent(s.pin_toggle)));
        g_autofree gchar* unit = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(s.unit_combo));
        std::string texts = std::string(gtk_window_get_title(GTK_WINDOW(s.window))) + "|" +
                            text_of(GTK_WIDGET(footer->data)) + "|" + unit + "|";
        g_list_free(footer);
        for (GtkWidget* label :
             {s.heading_label, s.rate_label, s.status_label, s.battery_label, s.percent_label,
              s.remaining_value, s.full_charge_value, s.design_capacity_value, s.health_value,
              s.voltage_value, s.notes_label, s.details_label, s.unit_error_label,
              s.compact_rate_label, s.compact_remaining_label}) {
            texts += text_of(label) + "|";
        }
        // The placeholders do not follow the unit until the first snapshot.
        EXPECT_EQ(texts, std::string(demo ? "Tavrino · Sample data|Sample data|mAh|"
                                          : "Tavrino|Updates every 2 s|Wh|") +
                             "Battery drain|— W|Reading battery…|Battery|—|—|—|—|—|—||||— W|— Wh|");
        // Hidden until two batteries are reported, or a save fails.
        EXPECT_FALSE(gtk_widget_get_visible(s.battery_combo) || gtk_widget_get_visible(s.unit_error_label));
        EXPECT_TRUE(gtk_widget_get_visible(s.compact_rate_label) && gtk_widget_get_visible(s.details_label));
        EXPECT_EQ(gtk_stack_get_visible_child(GTK_STACK(s.stack)), s.expanded_page);
        EXPECT_NEAR(font_px(s.rate_label), 48.0, 0.01);  // the style sheet took effect
        EXPECT_NEAR(font_px(s.compact_rate_label), 20.0, 0.01);
    }
    EXPECT_FALSE(std::filesystem::exists(tree.base / "unit"));  // building saves nothing
}

}  // namespace
