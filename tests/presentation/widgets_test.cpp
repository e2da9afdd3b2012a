// Writing to real widgets: compare before set, font sizes, and which page a render touches.
#include <clocale>
#include <string>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "app/app_state.h"
#include "presentation/main_window.h"
#include "presentation/render_snapshot.h"
#include "presentation/widget_updates.h"
#include "widget_probes.h"

namespace {

// A floating widget owned by the test; declared before any NotifyCounter that watches it.
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

TEST(WidgetUpdatesTest, SettersChangeOnlyWhatDiffers) {
    OwnedWidget label(gtk_label_new("12.48 W"));
    OwnedWidget box(gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0));  // no name from a text
    ASSERT_EQ(atk_object_get_name(gtk_widget_get_accessible(box.widget)), nullptr);
    NotifyCounter counter;
    counter.watch_widget(label.widget);
    counter.watch_widget(box.widget);

    set_tooltip_text(box.widget, "");  // no tooltip yet: even the empty text is given
    EXPECT_GT(counter.count(), 0);
    set_label_text(GTK_LABEL(label.widget), "12.49 W");
    set_tooltip_text(box.widget, "A & B <1>");  // markup characters survive GTK's round trip
    set_accessible_name(box.widget, "Charging: 12.49 W");
    EXPECT_EQ(text_of(label.widget), "12.49 W");
    EXPECT_EQ(tooltip_of(box.widget), "A & B <1>");
    EXPECT_EQ(accessible_name_of(box.widget), "Charging: 12.49 W");

    counter.reset();
    set_label_text(GTK_LABEL(label.widget), "12.49 W");
    set_tooltip_text(box.widget, "A & B <1>");
    set_accessible_name(box.widget, "Charging: 12.49 W");
    EXPECT_EQ(counter.count(), 0) << counter.changes();
    set_accessible_name(box.widget, "Charging: 12.50 W");
    EXPECT_EQ(accessible_name_of(box.widget), "Charging: 12.50 W");
}

TEST(WidgetUpdatesTest, FontSizeReplacesOtherAttributesOnce) {
    OwnedWidget owned(gtk_label_new("12.48 W"));
    GtkWidget* label = owned.widget;
    PangoAttrList* styled = pango_attr_list_new();
    pango_attr_list_insert(styled, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
    pango_attr_list_insert(styled, pango_attr_size_new(30 * PANGO_SCALE));
    gtk_label_set_attributes(GTK_LABEL(label), styled);
    pango_attr_list_unref(styled);

    set_label_font_px(GTK_LABEL(label), 32);
    EXPECT_EQ(only_absolute_size_px(label), 32);
    PangoAttrList* first = gtk_label_get_attributes(GTK_LABEL(label));
    NotifyCounter counter;
    counter.watch_widget(label);
    set_label_font_px(GTK_LABEL(label), 32);
    EXPECT_EQ(counter.count(), 0) << counter.changes();
    EXPECT_EQ(gtk_label_get_attributes(GTK_LABEL(label)), first);
    set_label_font_px(GTK_LABEL(label), 24);
    EXPECT_EQ(only_absolute_size_px(label), 24);
}

BatteryReading charging_reading() {
    BatteryReading r;
    r.id = "BAT0";
    r.name = "Internal battery";
    r.energy_now_wh = OptionalNumber::of(35.328);
    r.energy_full_wh = OptionalNumber::of(55.2);
    r.energy_full_design_wh = OptionalNumber::of(60);
    r.power_w = OptionalNumber::of(12.48);
    r.voltage_v = OptionalNumber::of(12);
    r.charging = true;
    r.on_external_power = true;
    return r;
}

BatteryReading draining(double watts) {
    BatteryReading r = charging_reading();
    r.power_w = OptionalNumber::of(-watts);
    r.charging = false;
    r.discharging = true;
    return r;
}

class RenderSnapshotTest : public testing::Test {
  protected:
    void SetUp() override {
        std::setlocale(LC_NUMERIC, "C");
        init_app_state(state);
        build_main_window(state);
    }
    void TearDown() override {
        // The window's handlers would end a main loop that these tests never run.
        g_signal_handlers_disconnect_by_data(state.window, &state);
        gtk_widget_destroy(state.window);
        clean_up_app_state(state);
    }

    void render(BatteryReading reading, std::string error = "") {
        state.shown_snapshot = BatterySnapshot{};
        state.shown_snapshot.readings.push_back(std::move(reading));
        state.shown_snapshot.error_message = std::move(error);
        render_snapshot(state);
    }

    void watch_expanded(NotifyCounter& counter) {
        for (GtkWidget* w :
             {state.heading_label, state.rate_label, state.status_label, state.battery_label,
              state.battery_combo, state.percent_label, state.charge_bar, state.notes_label,
              state.details_label, state.remaining_value, state.full_charge_value,
              state.design_capacity_value, state.health_value, state.voltage_value}) {
            counter.watch_widget(w);
        }
    }
    void watch_compact(NotifyCounter& counter) {
        counter.watch_widget(state.compact_rate_label);
        counter.watch_widget(state.compact_remaining_label);
    }

    AppState state;
};

TEST_F(RenderSnapshotTest, ExpandedPageGetsTextsFontTooltipsAndBar) {
    state.demo_mode = true;
    render(charging_reading());
    EXPECT_EQ(text_of(state.heading_label), "Battery charging");
    EXPECT_EQ(text_of(state.status_label), "Charging");
    EXPECT_EQ(text_of(state.battery_label), "Internal battery");
    EXPECT_EQ(text_of(state.percent_label), "64%");
    EXPECT_EQ(text_of(state.remaining_value) + text_of(state.full_charge_value) +
                  text_of(state.design_capacity_value) + text_of(state.health_value) +
                  text_of(state.voltage_value),
              "35.33 Wh55.20 Wh60.00 Wh92%12.00 V");
    EXPECT_EQ(text_of(state.notes_label), "Sample data · preview only.");
    EXPECT_EQ(text_of(state.details_label).rfind("Internal battery\nManufacturer: ", 0), 0U);
    EXPECT_EQ(tooltip_of(state.battery_label), "Internal battery");
    EXPECT_EQ(tooltip_of(state.battery_combo), "Internal battery");
    EXPECT_EQ(tooltip_of(state.rate_label), "Charging\nSample data · preview only.");
    EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(state.charge_bar)),
                     35.328 / 55.2);
    EXPECT_EQ(text_of(state.rate_label), "12.48 W");
    EXPECT_EQ(only_absolute_size_px(state.rate_label), 48);

    state.demo_mode = false;   // the line break stays without notes
    render(draining(1234567));  // "1234567.00 W", 12 bytes
    EXPECT_EQ(only_absolute_size_px(state.rate_label), 32);
    EXPECT_EQ(tooltip_of(state.rate_label), "Discharging\n");
}

TEST_F(RenderSnapshotTest, CompactPageGetsTextsSizesTooltipsAndNames) {
    state.compact = true;
    state.unit = CapacityUnit::mAh;
    BatteryReading reading = charging_reading();
    reading.current_ma = OptionalNumber::of(1040);
    render(reading);
    const std::string notes = "mAh is estimated using the current voltage.";
    EXPECT_EQ(text_of(state.compact_rate_label), "+1040 mA");
    EXPECT_EQ(only_absolute_size_px(state.compact_rate_label), 16);  // 8 bytes
    EXPECT_EQ(text_of(state.compact_remaining_label), "≈2944 mAh");
    EXPECT_EQ(only_absolute_size_px(state.compact_remaining_label), 13);  // 11 bytes
    EXPECT_EQ(tooltip_of(state.compact_rate_label), "+1040 mA\nCharging\n" + notes);
    EXPECT_EQ(tooltip_of(state.compact_remaining_label),
              "≈2944 mAh remaining\nInternal battery\n" + notes);
    EXPECT_EQ(accessible_name_of(state.compact_rate_label), "Charging: +1040 mA");
    EXPECT_EQ(accessible_name_of(state.compact_remaining_label), "Remaining capacity: ≈2944 mAh");

    state.shown_snapshot = BatterySnapshot{};
    render_snapshot(state);
    EXPECT_EQ(text_of(state.compact_rate_label), "— mA");
    EXPECT_EQ(only_absolute_size_px(state.compact_rate_label), 20);
    EXPECT_EQ(tooltip_of(state.compact_remaining_label),
              "— mAh remaining\nBattery\nNo system battery was reported by this device.");
}

// The compact page first, so the expanded page is still at its placeholders after it.
TEST_F(RenderSnapshotTest, SecondRenderChangesNothingAndTheHiddenPageIsNeverTouched) {
    state.demo_mode = true;
    for (bool compact : {true, false}) {
        SCOPED_TRACE(compact ? "compact" : "expanded");
        state.compact = compact;
        NotifyCounter shown;
        NotifyCounter hidden;
        watch_expanded(compact ? hidden : shown);
        watch_compact(compact ? shown : hidden);
        render(draining(1234567), "Some battery readings are unavailable.");
        GtkWidget* rate = compact ? state.compact_rate_label : state.rate_label;
        EXPECT_EQ(text_of(rate), "1234567.00 W");  // the expanded page catches up
        PangoAttrList* rate_attrs = gtk_label_get_attributes(GTK_LABEL(rate));
        PangoAttrList* remaining_attrs =
            gtk_label_get_attributes(GTK_LABEL(state.compact_remaining_label));
        ASSERT_NE(rate_attrs, nullptr);

        shown.reset();
        render_snapshot(state);
        EXPECT_EQ(shown.count(), 0) << shown.changes();
        EXPECT_EQ(gtk_label_get_attributes(GTK_LABEL(rate)), rate_attrs);
        EXPECT_EQ(gtk_label_get_attributes(GTK_LABEL(state.compact_remaining_label)),
                  remaining_attrs);
        render(draining(7.5));
        EXPECT_EQ(text_of(rate), "7.50 W");
        EXPECT_EQ(hidden.count(), 0) << hidden.changes();
    }
}

}  // namespace
