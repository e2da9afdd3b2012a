#include <string>

#include <glib.h>
#include <gtest/gtest.h>

#include "app/version.h"
#include "presentation/reading_view.h"

namespace {

constexpr OptionalNumber kAbsent = OptionalNumber::absent();
OptionalNumber of(double v) { return OptionalNumber::of(v); }

constexpr const char* kDemoNote = "Sample data · preview only.";
constexpr const char* kErrorNote = "Some battery data could not be read. Retrying automatically.";
constexpr const char* kNoBatteryNote = "No system battery was reported by this device.";
constexpr const char* kRelativeNote =
    "This battery reports relative values; physical units are unavailable.";
constexpr const char* kDirectionNote = "Charge or drain direction is unavailable.";
constexpr const char* kMahEstimateNote = "mAh is estimated using the current voltage.";
constexpr const char* kWhEstimateNote = "Wh is estimated using the current voltage.";
constexpr const char* kNoRateNote = "The battery does not provide a usable live rate in this unit.";
constexpr const char* kNoVoltageNote = "Voltage is unavailable for unit conversion.";
constexpr const char* kError = "Sample: access to battery data was denied.";

std::string join(std::initializer_list<const char*> notes) {
    std::string joined;
    for (const char* note : notes) {
        joined += joined.empty() ? "" : " ";
        joined += note;
    }
    return joined;
}

std::string footer() {
    return std::string("\n\nReadings describe the battery, not wall power.\nTavrino ") +
           kTavrinoVersion + " · Readings stay on this device.";
}

// A battery with every figure, so a case only has to take away what it is about.
BatteryReading full_reading() {
    BatteryReading r;
    r.id = "BAT0";
    r.name = "Internal battery";
    r.energy_now_wh = of(35.328);
    r.energy_full_wh = of(55.2);
    r.energy_full_design_wh = of(60);
    r.power_w = of(-12.48);
    r.voltage_v = of(12);
    r.discharging = true;
    return r;
}

BatterySnapshot snapshot_of(BatteryReading reading, std::string error = "") {
    BatterySnapshot snapshot;
    snapshot.readings.push_back(std::move(reading));
    snapshot.error_message = std::move(error);
    return snapshot;
}

ReadingView view_of(const BatterySnapshot& snapshot, CapacityUnit unit = CapacityUnit::Wh,
                    bool compact = false) {
    return compute_reading_view(snapshot, unit, "", false, compact);
}

TEST(ReadingViewTest, CaptionStatusAndRateTextsFollowTheDirection) {
    struct Case {
        OptionalNumber power_w, current_ma;
        const char* flags;  // K: direction known, C: charging, D: discharging, E: external power
        CapacityUnit unit;
        const char* texts;  // caption|status|rate|compact rate
    };
    const CapacityUnit wh = CapacityUnit::Wh;
    const CapacityUnit mah = CapacityUnit::mAh;
    const Case cases[] = {
        {of(-12.48), kAbsent, "KD", wh, "Battery drain|Discharging|12.48 W|12.48 W"},
        {of(12.48), kAbsent, "KCE", wh, "Battery charging|Charging|12.48 W|+12.48 W"},
        {of(3), kAbsent, "KD", wh, "Battery charging|Charging|3.00 W|+3.00 W"},  // rate first
        {of(-3), kAbsent, "KCE", wh, "Battery drain|Discharging|3.00 W|3.00 W"},
        {of(0), kAbsent, "KCE", wh, "Battery charging|Charging|0.00 W|0.00 W"},
        {of(0), kAbsent, "KE", wh, "Battery drain|Plugged in · not charging|0.00 W|0.00 W"},
        {kAbsent, kAbsent, "KD", wh, "Battery drain|Discharging|— W|— W"},
        {of(0), kAbsent, "K", wh, "Battery drain|On battery|0.00 W|0.00 W"},
        {of(5), kAbsent, "CE", wh, "Battery rate|Charging|5.00 W|+5.00 W"},
        {of(-5), kAbsent, "D", wh, "Battery rate|Discharging|5.00 W|5.00 W"},
        {of(5), kAbsent, "", wh, "Battery rate|On battery|5.00 W|5.00 W"},
        {of(0), kAbsent, "CE", wh, "Battery charging|Charging|0.00 W|0.00 W"},
        {kAbsent, kAbsent, "E", wh, "Battery drain|Plugged in · not charging|— W|— W"},
        // Without a voltage the W rate is absent; the mA rate still tells the direction.
        {kAbsent, of(500), "K", wh, "Battery charging|Charging|— W|— W"},
        {of(-6.24), of(-520), "KD", mah, "Battery drain|Discharging|520 mA|520 mA"},
        // Charging by the watts, yet a negative current: no "+" on a negative figure.
        {of(5), of(-100), "K", mah, "Battery charging|Charging|100 mA|100 mA"},
    };
    for (const Case& c : cases) {
        const std::string flags = c.flags;
        BatteryReading r = full_reading();
        r.power_w = c.power_w;
        r.current_ma = c.current_ma;
        r.voltage_v = kAbsent;
        r.direction_known = flags.find('K') != std::string::npos;
        r.charging = flags.find('C') != std::string::npos;
        r.discharging = flags.find('D') != std::string::npos;
        r.on_external_power = flags.find('E') != std::string::npos;
        for (bool compact : {false, true}) {
            const ReadingView v = view_of(snapshot_of(r), c.unit, compact);
            EXPECT_EQ(v.caption + "|" + v.status_text + "|" + v.rate_text + "|" +
                          v.compact_rate_text,
                      c.texts)
                << c.power_w.value << " " << c.flags;
        }
    }
}

TEST(ReadingViewTest, EmptySnapshotWithAndWithoutAnError) {
    BatterySnapshot failed;
    failed.error_message = kError;
    for (bool compact : {false, true}) {
        ReadingView v = view_of(BatterySnapshot{}, CapacityUnit::Wh, compact);
        EXPECT_EQ(v.caption + "|" + v.rate_text + "|" + v.compact_rate_text + "|" + v.status_text +
                      "|" + v.title + "|" + v.percent_text + "|" + v.remaining_text + "|" +
                      v.compact_remaining_text,
                  "Battery drain|— W|— W|No battery detected|Battery|—%|— Wh|— Wh");
        EXPECT_FALSE(v.charge_percent.present);
        v = view_of(failed, CapacityUnit::mAh, compact);
        EXPECT_EQ(v.status_text + "|" + v.rate_text + "|" + v.remaining_text,
                  "Battery data unavailable|— mA|— mAh");
    }
}

TEST(ReadingViewTest, NotesInOrderWithSingleSpaces) {
    struct Case {
        const char* what;
        bool has_reading;
        BatteryReading reading;
        const char* error;
        bool demo;
        CapacityUnit unit;
        std::string notes;
    };
    BatteryReading relative;
    relative.name = "Internal battery";
    relative.relative_only = true;
    relative.relative_charge_percent = of(64);
    relative.voltage_v = of(11.1);  // would allow an estimate; relative batteries get none

    BatteryReading unknown_direction = full_reading();
    unknown_direction.direction_known = false;
    BatteryReading unknown_direction_idle = unknown_direction;
    unknown_direction_idle.power_w = of(0);

    // Energies only: every pair is estimated in mAh, yet the note comes once.
    BatteryReading energy_only = full_reading();
    BatteryReading charge_only = full_reading();
    charge_only.energy_now_wh = charge_only.energy_full_wh = kAbsent;
    charge_only.energy_full_design_wh = kAbsent;
    charge_only.charge_now_mah = of(2944);
    charge_only.charge_full_mah = of(4600);
    charge_only.charge_full_design_mah = of(5000);
    BatteryReading negative_estimate = full_reading();  // a negative native value is no value
    negative_estimate.energy_full_design_wh = of(-1);
    negative_estimate.charge_full_design_mah = of(5000);

    BatteryReading no_voltage = full_reading();
    no_voltage.voltage_v = kAbsent;
    BatteryReading zero_voltage = full_reading();
    zero_voltage.voltage_v = of(0);
    BatteryReading no_capacity = full_reading();  // voltage usable: no conversion note
    no_capacity.energy_now_wh = kAbsent;
    BatteryReading nothing_but_voltage = full_reading();
    nothing_but_voltage.power_w = kAbsent;

    const CapacityUnit wh = CapacityUnit::Wh;
    const CapacityUnit mah = CapacityUnit::mAh;
    const Case cases[] = {
        {"no battery", false, {}, "", false, wh, kNoBatteryNote},
        {"failed pass", false, {}, kError, false, wh, kErrorNote},
        {"no battery, demo", false, {}, "", true, wh, join({kDemoNote, kNoBatteryNote})},
        {"relative", true, relative, "", false, mah, kRelativeNote},
        {"relative, demo, error", true, relative, kError, true, wh,
         join({kDemoNote, kErrorNote, kRelativeNote})},
        {"complete battery", true, full_reading(), "", false, wh, ""},
        {"unknown direction", true, unknown_direction, "", false, wh, kDirectionNote},
        {"unknown direction, idle", true, unknown_direction_idle, "", false, wh, ""},
        {"estimated once", true, energy_only, "", false, mah, kMahEstimateNote},
        {"estimated in Wh", true, charge_only, "", false, wh, kWhEstimateNote},
        {"negative native estimated", true, negative_estimate, "", false, wh, kWhEstimateNote},
        {"no voltage", true, no_voltage, "", false, mah, join({kNoRateNote, kNoVoltageNote})},
        {"no voltage, native units", true, no_voltage, "", false, wh, ""},
        {"zero voltage", true, zero_voltage, "", false, mah, join({kNoRateNote, kNoVoltageNote})},
        {"no remaining, voltage usable", true, no_capacity, "", false, wh, ""},
        {"estimate and no rate", true, nothing_but_voltage, kError, true, mah,
         join({kDemoNote, kErrorNote, kMahEstimateNote, kNoRateNote})},
        {"direction and estimate", true, unknown_direction, kError, true, mah,
         join({kDemoNote, kErrorNote, kDirectionNote, kMahEstimateNote})},
    };
    for (const Case& c : cases) {
        BatterySnapshot snapshot;
        if (c.has_reading) {
            snapshot.readings.push_back(c.reading);
        }
        snapshot.error_message = c.error;
        for (bool compact : {false, true}) {
            EXPECT_EQ(compute_reading_view(snapshot, c.unit, "", c.demo, compact).notes, c.notes)
                << c.what << (compact ? " (compact)" : "");
        }
    }
}

TEST(ReadingViewTest, SelectionFallsBackToTheFirstReading) {
    BatterySnapshot snapshot = snapshot_of(full_reading());
    snapshot.readings[0].name = "First";
    snapshot.readings.push_back(full_reading());
    snapshot.readings[1].id = "BAT1";
    snapshot.readings[1].name = "";  // an empty name still gives a title
    for (const char* selected : {"BAT1", "BAT0", "", "BAT", "BAT10", "bat1"}) {
        EXPECT_EQ(compute_reading_view(snapshot, CapacityUnit::Wh, selected, false, false).title,
                  std::string(selected) == "BAT1" ? "Battery" : "First")
            << selected;
    }
    EXPECT_EQ(select_reading(BatterySnapshot{}, "BAT0"), nullptr);
}

TEST(ReadingViewTest, CapacityTextsNativeAndConverted) {
    struct Case {
        const char* what;
        BatteryReading reading;
        CapacityUnit unit;
        const char* texts;  // percent|remaining|compact remaining|full|design|health|voltage
    };
    BatteryReading plain = full_reading();
    BatteryReading no_voltage = full_reading();
    no_voltage.voltage_v = kAbsent;
    BatteryReading negative_native = full_reading();
    negative_native.charge_now_mah = of(-5);
    BatteryReading over_full = full_reading();
    over_full.capacity_percent = of(100);
    over_full.energy_now_wh = of(61);
    over_full.energy_full_wh = of(60);
    over_full.energy_full_design_wh = of(55.2);
    BatteryReading over_full_computed = over_full;
    over_full_computed.capacity_percent = kAbsent;
    BatteryReading bad_reported = over_full_computed;  // a negative level is no level
    bad_reported.capacity_percent = of(-3);
    BatteryReading charge_pairs;  // no full energy: both percentages fall to the charge pairs
    charge_pairs.energy_now_wh = of(10);
    charge_pairs.energy_full_design_wh = of(60);
    charge_pairs.charge_now_mah = of(1500);
    charge_pairs.charge_full_mah = of(3000);
    charge_pairs.charge_full_design_mah = of(3300);
    BatteryReading relative;
    relative.relative_only = true;
    relative.relative_charge_percent = of(64);
    relative.relative_health_percent = of(92);
    relative.capacity_percent = of(65);  // a reported level still comes first
    relative.voltage_v = of(11.1);
    relative.energy_now_wh = of(30);  // never shown for a relative-only battery

    const CapacityUnit wh = CapacityUnit::Wh;
    const CapacityUnit mah = CapacityUnit::mAh;
    const Case cases[] = {
        {"native Wh", plain, wh, "64%|35.33 Wh|35.33 Wh|55.20 Wh|60.00 Wh|92%|12.00 V"},
        {"converted", plain, mah, "64%|2944 mAh|≈2944 mAh|4600 mAh|5000 mAh|92%|12.00 V"},
        {"no voltage", no_voltage, mah, "64%|— mAh|— mAh|— mAh|— mAh|92%|— V"},
        {"negative native", negative_native, mah,
         "64%|2944 mAh|≈2944 mAh|4600 mAh|5000 mAh|92%|12.00 V"},
        {"reported 100%", over_full, wh, "100%|61.00 Wh|61.00 Wh|60.00 Wh|55.20 Wh|109%|12.00 V"},
        {"computed capped", over_full_computed, wh,
         "100%|61.00 Wh|61.00 Wh|60.00 Wh|55.20 Wh|109%|12.00 V"},
        {"negative reported", bad_reported, wh,
         "100%|61.00 Wh|61.00 Wh|60.00 Wh|55.20 Wh|109%|12.00 V"},
        {"charge pairs", charge_pairs, mah, "50%|1500 mAh|1500 mAh|3000 mAh|3300 mAh|91%|— V"},
        {"relative", relative, wh, "65%|— Wh|— Wh|— Wh|— Wh|92%|11.10 V"},
    };
    for (const Case& c : cases) {
        const ReadingView v = view_of(snapshot_of(c.reading), c.unit);
        EXPECT_EQ(v.percent_text + "|" + v.remaining_text + "|" + v.compact_remaining_text + "|" +
                      v.full_charge_text + "|" + v.design_capacity_text + "|" + v.health_text +
                      "|" + v.voltage_text,
                  c.texts)
            << c.what;
        // The compact view leaves the expanded page's texts empty.
        const ReadingView compact = view_of(snapshot_of(c.reading), c.unit, true);
        EXPECT_EQ(compact.percent_text + compact.compact_remaining_text,
                  v.percent_text + v.compact_remaining_text)
            << c.what;
        EXPECT_EQ(compact.full_charge_text + compact.design_capacity_text + compact.health_text +
                      compact.voltage_text + compact.details,
                  "")
            << c.what;
    }

    const ReadingView none = view_of(BatterySnapshot{}, CapacityUnit::mAh);
    EXPECT_EQ(none.full_charge_text + "|" + none.design_capacity_text + "|" + none.health_text +
                  "|" + none.voltage_text,
              "— mAh|— mAh|—%|— V");
}

TEST(ReadingViewTest, DetailsText) {
    BatteryReading sample;
    sample.name = "Internal battery";
    sample.manufacturer = "Sample manufacturer";
    sample.technology = "Lithium ion";
    EXPECT_EQ(view_of(snapshot_of(sample)).details,
              "Internal battery\nManufacturer: Sample manufacturer\nChemistry: Lithium ion\n"
              "Cycles: —" +
                  footer());

    BatteryReading bare;
    bare.id = "BAT1";
    bare.has_cycle_count = true;
    bare.cycle_count = 4294967294U;
    EXPECT_EQ(view_of(snapshot_of(bare, kError)).details,
              "Battery\nManufacturer: —\nChemistry: —\nCycles: 4294967294" + footer() + "\n\n" +
                  kError);

    BatterySnapshot empty;
    EXPECT_EQ(compute_reading_view(empty, CapacityUnit::Wh, "", true, false).details,
              "No system battery reported. Peripheral batteries and external UPS devices are not "
              "included." +
                  footer());
    empty.error_message = kError;
    EXPECT_EQ(view_of(empty).details, kError + footer());
}

// Firmware strings are raw bytes; the window only ever receives valid UTF-8.
TEST(ReadingViewTest, BatteryStringsAreMadeValid) {
    BatteryReading r;
    r.name = "Bat\xff\xfe one";
    r.manufacturer = "Ac\x01me";
    const ReadingView view = view_of(snapshot_of(r));
    EXPECT_TRUE(g_utf8_validate(view.title.c_str(), -1, nullptr)) << view.title;
    EXPECT_TRUE(g_utf8_validate(view.details.c_str(), -1, nullptr));
    EXPECT_NE(view.details.find("Manufacturer: Ac\xEF\xBF\xBDme\n"), std::string::npos);
}

}  // namespace
