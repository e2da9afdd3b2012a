#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "app/built_window.h"
#include "app/location_env.h"
#include "presentation/main_window.h"
#include "support/fixture_tree.h"
#include "widget_probes.h"

namespace {

// The footer's caption: the first child of the box that holds the pin toggle.
std::string footer_caption(const AppState& state) {
    GList* children =
        gtk_container_get_children(GTK_CONTAINER(gtk_widget_get_parent(state.pin_toggle)));
    std::string caption = text_of(GTK_WIDGET(children->data));
    g_list_free(children);
    return caption;
}

// CSS font sizes are kept in points: px = pt * resolution / 72, 96 dpi unless set.
double font_px(GtkWidget* widget) {
    PangoFontDescription* font = nullptr;
    GtkStyleContext* context = gtk_widget_get_style_context(widget);
    gtk_style_context_get(context, gtk_style_context_get_state(context), "font", &font, nullptr);
    const double points = static_cast<double>(pango_font_description_get_size(font)) / PANGO_SCALE;
    pango_font_description_free(font);
    const double dpi = gdk_screen_get_resolution(gdk_screen_get_default());
    return points * (dpi > 0 ? dpi : 96.0) / 72.0;
}

TEST(MainWindow, StartStateInEveryUnitAndMode) {
    struct Case {
        CapacityUnit unit;
        bool demo;
        const char* title;
        const char* caption;
        const char* unit_text;
    };
    const Case cases[] = {
        {CapacityUnit::Wh, false, "Tavrino", "Updates every 2 s", "Wh"},
        {CapacityUnit::mAh, true, "Tavrino · Sample data", "Sample data", "mAh"},
    };
    // Building sets the unit combo before its handler is connected: nothing may be saved.
    const FixtureTree tree;
    const LocationEnv env(tree.base.c_str(), nullptr, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const BuiltWindow built(c.unit, c.demo);
        const AppState& s = built.state;
        EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(s.window)), c.title);
        EXPECT_EQ(footer_caption(s), c.caption);
        g_autofree gchar* unit =
            gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(s.unit_combo));
        EXPECT_STREQ(unit, c.unit_text);

        int field = 0;
        for (GtkWidget* w :
             {s.window, s.stack, s.expanded_page, s.compact_page, s.unit_combo, s.battery_combo,
              s.heading_label, s.rate_label, s.status_label, s.battery_label, s.percent_label,
              s.charge_bar, s.notes_label, s.details_label, s.remaining_value, s.full_charge_value,
              s.design_capacity_value, s.health_value, s.voltage_value, s.compact_rate_label,
              s.compact_remaining_label, s.pin_toggle, s.compact_pin_toggle, s.collapse_button,
              s.expand_button, s.unit_error_label}) {
            ++field;
            ASSERT_TRUE(GTK_IS_WIDGET(w)) << "field " << field;
            // Hidden until two batteries are reported, or a save fails.
            const bool hidden = w == s.battery_combo || w == s.unit_error_label;
            EXPECT_EQ(gtk_widget_get_visible(w) != FALSE, !hidden) << "field " << field;
        }
        EXPECT_EQ(gtk_stack_get_visible_child(GTK_STACK(s.stack)), s.expanded_page);

        // The placeholders do not follow the unit until the first snapshot.
        std::string texts;
        for (GtkWidget* label :
             {s.heading_label, s.rate_label, s.status_label, s.battery_label, s.percent_label,
              s.remaining_value, s.full_charge_value, s.design_capacity_value, s.health_value,
              s.voltage_value, s.notes_label, s.details_label, s.unit_error_label,
              s.compact_rate_label, s.compact_remaining_label}) {
            texts += text_of(label) + "|";
        }
        EXPECT_EQ(texts, "Battery drain|— W|Reading battery…|Battery|—|—|—|—|—|—||||— W|— Wh|");
    }
    EXPECT_FALSE(std::filesystem::exists(tree.base / "unit"));
}

TEST(MainWindow, StyleSheetParsesAndTakesEffect) {
    g_autoptr(GtkCssProvider) provider = gtk_css_provider_new();
    g_autoptr(GError) error = nullptr;
    EXPECT_TRUE(gtk_css_provider_load_from_data(provider, main_window_style_sheet(), -1, &error));
    EXPECT_EQ(error, nullptr) << error->message;

    const BuiltWindow built(CapacityUnit::Wh);
    EXPECT_NEAR(font_px(built.state.rate_label), 48.0, 0.01);
    EXPECT_NEAR(font_px(built.state.compact_rate_label), 20.0, 0.01);
}

}  // namespace
