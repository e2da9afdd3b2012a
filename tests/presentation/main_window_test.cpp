#include "presentation/main_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "app/built_window.h"
#include "app/location_env.h"
#include "support/fixture_tree.h"

namespace {

std::string text_of(GtkWidget* label) { return gtk_label_get_text(GTK_LABEL(label)); }

std::string tooltip_of(GtkWidget* widget) {
    g_autofree gchar* tip = gtk_widget_get_tooltip_text(widget);
    return tip != nullptr ? tip : "(none)";
}

std::string accessible_name_of(GtkWidget* widget) {
    const char* name = atk_object_get_name(gtk_widget_get_accessible(widget));
    return name != nullptr ? name : "(none)";
}

bool has_class(GtkWidget* widget, const char* name) {
    return gtk_style_context_has_class(gtk_widget_get_style_context(widget), name) != FALSE;
}

std::vector<GtkWidget*> children_of(GtkWidget* container) {
    GList* list = gtk_container_get_children(GTK_CONTAINER(container));
    std::vector<GtkWidget*> children;
    for (GList* item = list; item != nullptr; item = item->next) {
        children.push_back(GTK_WIDGET(item->data));
    }
    g_list_free(list);
    return children;
}

// The footer's caption: the first child of the box that holds the pin toggle.
GtkWidget* footer_caption(const AppState& state) {
    return children_of(gtk_widget_get_parent(state.pin_toggle)).front();
}

double font_px(GtkWidget* widget) {
    PangoFontDescription* font = nullptr;
    GtkStyleContext* context = gtk_widget_get_style_context(widget);
    gtk_style_context_get(context, gtk_style_context_get_state(context), "font", &font,
                          nullptr);
    // GTK keeps CSS sizes in points: px = pt * resolution / 72, 96 dpi unless set.
    const double points = static_cast<double>(pango_font_description_get_size(font)) / PANGO_SCALE;
    pango_font_description_free(font);
    double dpi = gdk_screen_get_resolution(gdk_screen_get_default());
    if (dpi <= 0) {
        dpi = 96.0;
    }
    return points * dpi / 72.0;
}

struct Field {
    const char* name;
    GtkWidget* widget;
    GType type;  // the exact type, not a subclass
};

std::vector<Field> fields_of(const AppState& s) {
    return {
        {"window", s.window, GTK_TYPE_WINDOW},
        {"stack", s.stack, GTK_TYPE_STACK},
        {"expanded_page", s.expanded_page, GTK_TYPE_BOX},
        {"compact_page", s.compact_page, GTK_TYPE_BOX},
        {"unit_combo", s.unit_combo, GTK_TYPE_COMBO_BOX_TEXT},
        {"battery_combo", s.battery_combo, GTK_TYPE_COMBO_BOX_TEXT},
        {"heading_label", s.heading_label, GTK_TYPE_LABEL},
        {"rate_label", s.rate_label, GTK_TYPE_LABEL},
        {"status_label", s.status_label, GTK_TYPE_LABEL},
        {"battery_label", s.battery_label, GTK_TYPE_LABEL},
        {"percent_label", s.percent_label, GTK_TYPE_LABEL},
        {"charge_bar", s.charge_bar, GTK_TYPE_PROGRESS_BAR},
        {"notes_label", s.notes_label, GTK_TYPE_LABEL},
        {"details_label", s.details_label, GTK_TYPE_LABEL},
        {"remaining_value", s.remaining_value, GTK_TYPE_LABEL},
        {"full_charge_value", s.full_charge_value, GTK_TYPE_LABEL},
        {"design_capacity_value", s.design_capacity_value, GTK_TYPE_LABEL},
        {"health_value", s.health_value, GTK_TYPE_LABEL},
        {"voltage_value", s.voltage_value, GTK_TYPE_LABEL},
        {"compact_rate_label", s.compact_rate_label, GTK_TYPE_LABEL},
        {"compact_remaining_label", s.compact_remaining_label, GTK_TYPE_LABEL},
        {"pin_toggle", s.pin_toggle, GTK_TYPE_TOGGLE_BUTTON},
        {"compact_pin_toggle", s.compact_pin_toggle, GTK_TYPE_TOGGLE_BUTTON},
        {"collapse_button", s.collapse_button, GTK_TYPE_BUTTON},
        {"expand_button", s.expand_button, GTK_TYPE_BUTTON},
        {"unit_error_label", s.unit_error_label, GTK_TYPE_LABEL},
    };
}

TEST(MainWindow, EveryFieldIsSetWithItsTypeAndStartVisibility) {
    const BuiltWindow built(CapacityUnit::Wh);
    const AppState& s = built.state;
    for (const Field& f : fields_of(s)) {
        SCOPED_TRACE(f.name);
        ASSERT_NE(f.widget, nullptr);
        EXPECT_EQ(G_OBJECT_TYPE(f.widget), f.type) << G_OBJECT_TYPE_NAME(f.widget);
        // Hidden until two batteries are reported, or a save fails.
        const bool hidden = f.widget == s.battery_combo || f.widget == s.unit_error_label;
        EXPECT_EQ(gtk_widget_get_visible(f.widget) != FALSE, !hidden);
    }
    EXPECT_EQ(gtk_window_get_window_type(GTK_WINDOW(s.window)), GTK_WINDOW_TOPLEVEL);
    EXPECT_EQ(gtk_orientable_get_orientation(GTK_ORIENTABLE(s.expanded_page)),
              GTK_ORIENTATION_VERTICAL);
    EXPECT_EQ(gtk_orientable_get_orientation(GTK_ORIENTABLE(s.compact_page)),
              GTK_ORIENTATION_HORIZONTAL);
    EXPECT_EQ(gtk_widget_get_parent(s.stack), s.window);
    EXPECT_STREQ(gtk_stack_get_visible_child_name(GTK_STACK(s.stack)), "expanded");
    EXPECT_EQ(gtk_stack_get_visible_child(GTK_STACK(s.stack)), s.expanded_page);
    EXPECT_EQ(gtk_stack_get_child_by_name(GTK_STACK(s.stack), "compact"), s.compact_page);
    EXPECT_FALSE(s.wayland);  // Xvfb is an X11 display
    EXPECT_FALSE(s.keep_above);

    gint width = 0;
    gint height = 0;
    gtk_window_get_default_size(GTK_WINDOW(s.window), &width, &height);
    EXPECT_EQ(width, 390);
    EXPECT_EQ(height, 520);

    GtkWidget* expander = gtk_widget_get_parent(s.details_label);
    ASSERT_TRUE(GTK_IS_EXPANDER(expander));
    EXPECT_STREQ(gtk_expander_get_label(GTK_EXPANDER(expander)), "Battery information");
    EXPECT_FALSE(gtk_expander_get_expanded(GTK_EXPANDER(expander)));
    EXPECT_TRUE(gtk_expander_get_resize_toplevel(GTK_EXPANDER(expander)));
}

TEST(MainWindow, PlaceholdersTitleAndCaptionInEveryStartState) {
    struct Case {
        CapacityUnit unit;
        bool demo;
        const char* title;
        const char* caption;
        int unit_index;
        const char* unit_text;
    };
    const std::vector<Case> cases = {
        {CapacityUnit::Wh, false, "Tavrino", "Updates every 2 s", 0, "Wh"},
        {CapacityUnit::mAh, false, "Tavrino", "Updates every 2 s", 1, "mAh"},
        {CapacityUnit::Wh, true, "Tavrino · Sample data", "Sample data", 0, "Wh"},
        {CapacityUnit::mAh, true, "Tavrino · Sample data", "Sample data", 1, "mAh"},
    };
    // Building sets the combo before its handler is connected: no save may happen.
    const FixtureTree tree;
    const LocationEnv env(tree.base.c_str(), nullptr, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.unit_text) + (c.demo ? " demo" : " live"));
        const BuiltWindow built(c.unit, c.demo);
        const AppState& s = built.state;
        EXPECT_EQ(s.unit, c.unit);
        EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(s.window)), c.title);
        EXPECT_EQ(text_of(footer_caption(s)), c.caption);

        GtkComboBox* combo = GTK_COMBO_BOX(s.unit_combo);
        EXPECT_EQ(gtk_combo_box_get_active(combo), c.unit_index);
        g_autofree gchar* active = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(combo));
        EXPECT_STREQ(active, c.unit_text);
        EXPECT_EQ(gtk_combo_box_get_active_id(combo), nullptr);  // items have no ids
        EXPECT_EQ(gtk_tree_model_iter_n_children(gtk_combo_box_get_model(combo), nullptr), 2);

        // The placeholders do not follow the unit until the first snapshot.
        const std::vector<std::pair<GtkWidget*, const char*>> texts = {
            {s.heading_label, "Battery drain"},
            {s.rate_label, "— W"},
            {s.status_label, "Reading battery…"},
            {s.battery_label, "Battery"},
            {s.percent_label, "—"},
            {s.remaining_value, "—"},
            {s.full_charge_value, "—"},
            {s.design_capacity_value, "—"},
            {s.health_value, "—"},
            {s.voltage_value, "—"},
            {s.notes_label, ""},
            {s.details_label, ""},
            {s.unit_error_label, ""},
            {s.compact_rate_label, "— W"},
            {s.compact_remaining_label, "— Wh"},
        };
        for (const auto& [label, text] : texts) {
            EXPECT_EQ(text_of(label), text);
        }
        EXPECT_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(s.charge_bar)), 0.0);
    }
    EXPECT_FALSE(std::filesystem::exists(tree.base / "unit"));
}

TEST(MainWindow, AccessibleNamesTooltipsAndToggles) {
    const BuiltWindow built(CapacityUnit::Wh);
    const AppState& s = built.state;
    struct Case {
        GtkWidget* widget;
        const char* accessible;
        const char* tooltip;  // "(none)": no tooltip
    };
    const std::vector<Case> cases = {
        {s.unit_combo, "Capacity units", "(none)"},
        {s.battery_combo, "Battery", "(none)"},
        {s.charge_bar, "Battery charge", "(none)"},
        {s.pin_toggle, "Always on top", "Keep this window on top (Ctrl+T)"},
        {s.compact_pin_toggle, "Always on top", "Keep this window on top (Ctrl+T)"},
        {s.collapse_button, "Collapse to compact mode", "Collapse to compact mode (Ctrl+M)"},
        {s.expand_button, "Expand battery details", "Expand battery details (Ctrl+M)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.accessible);
        EXPECT_EQ(accessible_name_of(c.widget), c.accessible);
        EXPECT_EQ(tooltip_of(c.widget), c.tooltip);
    }
    for (GtkWidget* pin : {s.pin_toggle, s.compact_pin_toggle}) {
        EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(pin)), "Pin");
        EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(pin)));
        EXPECT_TRUE(gtk_widget_get_sensitive(pin));  // insensitive only under Wayland
    }
    EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(s.collapse_button)), "⌃");
    EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(s.expand_button)), "⌄");
}

TEST(MainWindow, StyleClassesAlignmentAndWrapping) {
    const BuiltWindow built(CapacityUnit::Wh);
    const AppState& s = built.state;
    const std::vector<std::pair<GtkWidget*, const char*>> classes = {
        {s.rate_label, "tavrino-rate"},         {s.compact_rate_label, "tavrino-mini"},
        {s.heading_label, "tavrino-heading"},   {s.battery_label, "tavrino-heading"},
        {s.compact_page, "tavrino-compact"},    {s.charge_bar, "tavrino-progress"},
        {s.notes_label, "dim-label"},           {footer_caption(s), "dim-label"},
    };
    for (const auto& [widget, name] : classes) {
        EXPECT_TRUE(has_class(widget, name)) << name;
    }
    EXPECT_FALSE(has_class(s.unit_error_label, "dim-label"));  // a failure must stand out

    // The compact page's caption sits just above the remaining figure.
    const std::vector<GtkWidget*> caption_box =
        children_of(gtk_widget_get_parent(s.compact_remaining_label));
    ASSERT_EQ(caption_box.size(), 2U);
    EXPECT_EQ(text_of(caption_box[0]), "Remaining");
    EXPECT_TRUE(has_class(caption_box[0], "tavrino-caption"));
    EXPECT_TRUE(has_class(caption_box[0], "dim-label"));

    // Grid rows: a dim caption at the left, the value right-aligned beside it.
    GtkWidget* grid = gtk_widget_get_parent(s.remaining_value);
    const std::vector<std::pair<const char*, GtkWidget*>> rows = {
        {"Remaining", s.remaining_value},         {"Full charge", s.full_charge_value},
        {"Design capacity", s.design_capacity_value}, {"Battery health", s.health_value},
        {"Voltage", s.voltage_value},
    };
    for (int row = 0; row < 5; ++row) {
        SCOPED_TRACE(rows[row].first);
        GtkWidget* caption = gtk_grid_get_child_at(GTK_GRID(grid), 0, row);
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(text_of(caption), rows[row].first);
        EXPECT_TRUE(has_class(caption, "dim-label"));
        EXPECT_EQ(gtk_grid_get_child_at(GTK_GRID(grid), 1, row), rows[row].second);
        EXPECT_EQ(gtk_label_get_xalign(GTK_LABEL(rows[row].second)), 1.0F);
    }
    EXPECT_EQ(gtk_label_get_xalign(GTK_LABEL(s.percent_label)), 1.0F);
    EXPECT_EQ(gtk_label_get_xalign(GTK_LABEL(s.rate_label)), 0.0F);

    for (GtkWidget* label : {s.notes_label, s.unit_error_label, s.details_label}) {
        EXPECT_TRUE(gtk_label_get_line_wrap(GTK_LABEL(label)));
        EXPECT_EQ(gtk_label_get_line_wrap_mode(GTK_LABEL(label)), PANGO_WRAP_WORD_CHAR);
        EXPECT_EQ(gtk_label_get_max_width_chars(GTK_LABEL(label)), 48);
    }
    EXPECT_TRUE(gtk_label_get_selectable(GTK_LABEL(s.details_label)));
    EXPECT_EQ(gtk_label_get_ellipsize(GTK_LABEL(s.battery_label)), PANGO_ELLIPSIZE_END);

    GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(s.battery_combo));
    int text_cells = 0;
    for (GList* item = cells; item != nullptr; item = item->next) {
        if (!GTK_IS_CELL_RENDERER_TEXT(item->data)) {
            continue;
        }
        ++text_cells;
        PangoEllipsizeMode ellipsize = PANGO_ELLIPSIZE_NONE;
        gint max_width = 0;
        g_object_get(item->data, "ellipsize", &ellipsize, "max-width-chars", &max_width, nullptr);
        EXPECT_EQ(ellipsize, PANGO_ELLIPSIZE_END);
        EXPECT_EQ(max_width, 32);
    }
    g_list_free(cells);
    EXPECT_GT(text_cells, 0);
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
