// SPDX-License-Identifier: GPL-3.0-or-later
// reading_view.h: every text of one rendering, computed before any widget is touched.
#pragma once
#include <string>

#include "acquisition/battery_snapshot.h"
#include "acquisition/optional_number.h"
#include "presentation/capacity_unit.h"

// Lives for one rendering. The expanded-only fields (full charge, design, health, voltage,
// details) stay empty when it is computed for the compact page.
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
    std::string notes;              // whole sentences joined by one space
    std::string details;            // the "Battery information" text
    OptionalNumber charge_percent;  // %; the charge bar's source
};

// The reading whose id equals selected_battery, else the first one; null for no readings.
const BatteryReading* select_reading(const BatterySnapshot& snapshot,
                                     const std::string& selected_battery);

// Pure: the same inputs give the same view, in the language main() chose at start.
ReadingView compute_reading_view(const BatterySnapshot& snapshot, CapacityUnit unit,
                                 const std::string& selected_battery, bool demo_mode, bool compact);
