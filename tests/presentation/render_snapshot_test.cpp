#include <clocale>
#include <string>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "app/app_state.h"
#include "label_size_probe.h"
#include "notify_counter.h"
#include "presentation/main_window.h"
#include "presentation/render_snapshot.h"

namespace {

OptionalNumber of(double v) { return OptionalNumber::of(v); }

BatteryReading charging_reading() {
    BatteryReading r;
    r.id = "BAT0";
    r.name = "Internal battery";
    r.manufacturer = "Sample manufacturer";
    r.technology = "Lithium ion";
    r.energy_now_wh = of(35.328);
    r.energy_full_wh = of(55.2);
    r.energy_full_design_wh = of(60);
    r.power_w = of(12.48);
    r.voltage_v = of(12);
    r.charging = true;
    r.on_external_power = true;
    return r;
}

std::string text_of(GtkWidget* label) { return gtk_label_get_text(GTK_LABEL(label)); }

std::string tooltip_of(GtkWidget* widget) {
    g_autofree gchar* tip = gtk_widget_get_tooltip_text(widget);
    return tip != nullptr ? tip : "(none)";
}

std::string accessible_name_of(GtkWidget* widget) {
    const char* name = atk_object_get_name(gtk_widget_get_accessible(widget));
    return name != nullptr ? name : "(none)";
}

int font_px_of(GtkWidget* label) {
    return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(label), "tavrino-font-px"));
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

    void show(BatteryReading reading, std::string error = "") {
        state.shown_snapshot = BatterySnapshot{};
        state.shown_snapshot.readings.push_back(std::move(reading));
        state.shown_snapshot.error_message = std::move(error);
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

TEST_F(RenderSnapshotTest, ExpandedPageShowsEveryText) {
    show(charging_reading());
    state.demo_mode = true;
    render_snapshot(state);

    const std::string notes = "Sample data · preview only.";
    EXPECT_EQ(text_of(state.heading_label), "Battery charging");
    EXPECT_EQ(text_of(state.rate_label), "12.48 W");
    EXPECT_EQ(font_px_of(state.rate_label), 48);
    EXPECT_EQ(only_absolute_size_px(GTK_LABEL(state.rate_label)), 48);
    EXPECT_EQ(text_of(state.status_label), "Charging");
    EXPECT_EQ(text_of(state.battery_label), "Internal battery");
    EXPECT_EQ(tooltip_of(state.battery_label), "Internal battery");
    EXPECT_EQ(tooltip_of(state.battery_combo), "Internal battery");
    EXPECT_EQ(text_of(state.percent_label), "64%");
    EXPECT_EQ(text_of(state.remaining_value), "35.33 Wh");
    EXPECT_EQ(text_of(state.full_charge_value), "55.20 Wh");
    EXPECT_EQ(text_of(state.design_capacity_value), "60.00 Wh");
    EXPECT_EQ(text_of(state.health_value), "92%");
    EXPECT_EQ(text_of(state.voltage_value), "12.00 V");
    EXPECT_EQ(text_of(state.notes_label), notes);
    EXPECT_EQ(text_of(state.details_label).rfind("Internal battery\nManufacturer: ", 0), 0U);
    EXPECT_EQ(tooltip_of(state.rate_label), "Charging\n" + notes);
    EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(state.charge_bar)),
                     35.328 / 55.2);

    // In mAh the remaining figure is converted, without the mark on this page.
    state.unit = CapacityUnit::mAh;
    state.demo_mode = false;
    BatteryReading no_power = charging_reading();
    no_power.power_w = OptionalNumber::absent();
    show(no_power);
    render_snapshot(state);
    EXPECT_EQ(text_of(state.remaining_value), "2944 mAh");
    EXPECT_EQ(text_of(state.rate_label), "— mA");
    EXPECT_EQ(tooltip_of(state.rate_label),
              "Charging\nmAh is estimated using the current voltage. The battery does not "
              "provide a usable live rate in this unit.");

    // The line break stays when there are no notes.
    state.unit = CapacityUnit::Wh;
    show(charging_reading());
    render_snapshot(state);
    EXPECT_EQ(tooltip_of(state.rate_label), "Charging\n");
}

TEST_F(RenderSnapshotTest, CompactPageShowsItsTextsSizesTooltipsAndNames) {
    state.compact = true;
    gtk_stack_set_visible_child(GTK_STACK(state.stack), state.compact_page);
    state.unit = CapacityUnit::mAh;
    BatteryReading reading = charging_reading();
    reading.current_ma = of(1040);
    show(reading);
    render_snapshot(state);

    const std::string notes = "mAh is estimated using the current voltage.";
    EXPECT_EQ(text_of(state.compact_rate_label), "+1040 mA");
    EXPECT_EQ(font_px_of(state.compact_rate_label), 16);  // 8 bytes
    EXPECT_EQ(text_of(state.compact_remaining_label), "≈2944 mAh");
    EXPECT_EQ(font_px_of(state.compact_remaining_label), 13);  // 11 bytes
    EXPECT_EQ(tooltip_of(state.compact_rate_label), "+1040 mA\nCharging\n" + notes);
    EXPECT_EQ(tooltip_of(state.compact_remaining_label),
              "≈2944 mAh remaining\nInternal battery\n" + notes);
    EXPECT_EQ(accessible_name_of(state.compact_rate_label), "Charging: +1040 mA");
    EXPECT_EQ(accessible_name_of(state.compact_remaining_label), "Remaining capacity: ≈2944 mAh");

    reading.current_ma = of(-1234567);  // "1234567 mA": 10 bytes
    reading.power_w = of(-12.48);
    reading.discharging = true;
    reading.charging = false;
    show(reading);
    render_snapshot(state);
    EXPECT_EQ(text_of(state.compact_rate_label), "1234567 mA");
    EXPECT_EQ(font_px_of(state.compact_rate_label), 16);
    EXPECT_EQ(only_absolute_size_px(GTK_LABEL(state.compact_rate_label)), 16);
    EXPECT_EQ(accessible_name_of(state.compact_rate_label), "Discharging: 1234567 mA");

    state.shown_snapshot = BatterySnapshot{};
    render_snapshot(state);
    EXPECT_EQ(text_of(state.compact_rate_label), "— mA");
    EXPECT_EQ(font_px_of(state.compact_rate_label), 20);
    EXPECT_EQ(text_of(state.compact_remaining_label), "— mAh");
    EXPECT_EQ(tooltip_of(state.compact_remaining_label),
              "— mAh remaining\nBattery\nNo system battery was reported by this device.");
}

TEST_F(RenderSnapshotTest, SecondRenderChangesNothing) {
    BatteryReading reading = charging_reading();
    reading.power_w = of(-1234567);  // "1234567.00 W", 12 bytes: 32 px on the expanded page
    reading.discharging = true;
    reading.charging = false;
    show(reading, "Some battery readings are unavailable. Retrying automatically.");
    state.demo_mode = true;

    for (bool compact : {false, true}) {
        state.compact = compact;
        render_snapshot(state);
        PangoAttrList* rate_attrs = gtk_label_get_attributes(
            GTK_LABEL(compact ? state.compact_rate_label : state.rate_label));
        PangoAttrList* remaining_attrs =
            gtk_label_get_attributes(GTK_LABEL(state.compact_remaining_label));
        ASSERT_NE(rate_attrs, nullptr);

        NotifyCounter counter;
        watch_expanded(counter);
        watch_compact(counter);
        render_snapshot(state);
        EXPECT_EQ(counter.count(), 0)
            << (compact ? "compact: " : "expanded: ") << counter.changes();
        EXPECT_EQ(gtk_label_get_attributes(
                      GTK_LABEL(compact ? state.compact_rate_label : state.rate_label)),
                  rate_attrs);
        EXPECT_EQ(gtk_label_get_attributes(GTK_LABEL(state.compact_remaining_label)),
                  remaining_attrs);
    }
    EXPECT_EQ(font_px_of(state.rate_label), 32);
}

TEST_F(RenderSnapshotTest, HiddenPageIsNotTouched) {
    show(charging_reading());
    NotifyCounter compact_counter;
    watch_compact(compact_counter);
    render_snapshot(state);
    EXPECT_EQ(compact_counter.count(), 0) << compact_counter.changes();
    EXPECT_EQ(text_of(state.compact_rate_label), "— W");
    EXPECT_EQ(font_px_of(state.compact_rate_label), 0);

    state.compact = true;
    BatteryReading draining = charging_reading();
    draining.power_w = of(-7.5);
    draining.charging = false;
    draining.discharging = true;
    draining.energy_now_wh = of(20);
    show(draining);
    NotifyCounter expanded_counter;
    watch_expanded(expanded_counter);
    render_snapshot(state);
    EXPECT_EQ(expanded_counter.count(), 0) << expanded_counter.changes();
    EXPECT_EQ(text_of(state.rate_label), "12.48 W");
    EXPECT_EQ(text_of(state.compact_rate_label), "7.50 W");

    // Back on the expanded page, the next rendering brings it up to date.
    state.compact = false;
    render_snapshot(state);
    EXPECT_EQ(text_of(state.rate_label), "7.50 W");
    EXPECT_EQ(text_of(state.heading_label), "Battery drain");
}

}  // namespace
