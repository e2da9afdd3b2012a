// SPDX-License-Identifier: GPL-3.0-or-later
// reading_view.h: every text and figure of one rendering, computed before any widget is
// touched. The window and the terminal both show a view; neither computes a figure itself.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "acquisition/battery_snapshot.h"
#include "acquisition/optional_number.h"
#include "presentation/capacity_unit.h"

// One line of "Battery information": the window shows `line`; `caption` and `value` are the
// same line in two parts, for a face that aligns its columns. `caption` is empty when the
// language puts the value anywhere but at the end.
struct DetailRow {
    std::string caption;  // "Manufacturer"
    std::string value;    // "SMP", or a dash
    std::string line;     // "Manufacturer: SMP"
};

// Lives for one rendering. The expanded-only fields (full charge, design, health, voltage,
// details and their figures) stay empty when it is computed for the compact page.
struct ReadingView {
    std::string caption;                 // heading_label
    std::string rate_text;               // rate_label: the magnitude, never a minus sign
    std::string compact_rate_text;       // rate_text, with "+" while charging
    std::string remaining_text;          // remaining_value
    std::string compact_remaining_text;  // remaining_text, with "≈" when converted
    std::string full_charge_text;
    std::string design_capacity_text;
    std::string health_text;
    std::string voltage_text;
    std::string status_text;
    std::string title;  // battery name, never empty
    std::string percent_text;
    std::vector<std::string> notes;  // whole sentences in their fixed order; see join_notes
    std::string details;             // the "Battery information" text, as the window shows it
    OptionalNumber charge_percent;   // %; the charge bar's source

    // The parts the details are made of, for faces that lay them out themselves.
    std::vector<DetailRow> detail_rows;  // manufacturer, chemistry, cycles; none without a reading
    std::string no_battery_text;  // without a reading and without a problem: why; else empty
    std::string problem;          // the snapshot's problem text made printable; may be empty
    std::string footer;           // the two closing lines

    // The figures behind the texts, in the view's unit (W or mA, Wh or mAh).
    OptionalNumber rate;  // magnitude of the display rate
    OptionalNumber remaining;
    OptionalNumber full_charge;
    OptionalNumber design_capacity;
    OptionalNumber health_percent;
    OptionalNumber voltage_v;
    // Converted through the voltage: the native field of the unit was not usable.
    bool remaining_estimated = false;
    bool full_charge_estimated = false;
    bool design_capacity_estimated = false;
    bool charging = false;           // the direction the caption and status tell
    bool discharging = false;
    bool direction_unknown = false;  // the caption is the one for an unknown direction

    // The reading's own strings made printable; empty when the battery gives none.
    std::string id;
    std::string name;
    std::string manufacturer;
    std::string technology;
    bool has_cycle_count = false;
    std::uint32_t cycle_count = 0;
};

// The reading whose id equals selected_battery, else the first one; null for no readings.
const BatteryReading* select_reading(const BatterySnapshot& snapshot,
                                     const std::string& selected_battery);

// Pure: the same inputs give the same view, in the language main() chose at start.
ReadingView compute_reading_view(const BatterySnapshot& snapshot, CapacityUnit unit,
                                 const std::string& selected_battery, bool demo_mode, bool compact);
// The view of one reading of the snapshot (or of none: null).
ReadingView view_of_reading(const BatterySnapshot& snapshot, const BatteryReading* reading,
                            CapacityUnit unit, bool demo_mode, bool compact);
