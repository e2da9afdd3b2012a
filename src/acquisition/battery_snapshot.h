// SPDX-License-Identifier: GPL-3.0-or-later
// battery_snapshot.h: the result of one reading pass, handed from the reader to the window.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "acquisition/optional_number.h"

// One system battery, already in display units. Plain values only (no handles or paths),
// so a whole snapshot can cross from the reader thread to the UI thread.
struct BatteryReading {
    std::string id;            // supply directory name (BAT0) or demo id; unique per snapshot
    std::string name;          // model name, or id when the model name is empty
    std::string manufacturer;  // may be empty
    std::string technology;    // cell chemistry; empty when unknown
    OptionalNumber energy_now_wh;           // Wh; may be 0
    OptionalNumber energy_full_wh;          // Wh; > 0 when present
    OptionalNumber energy_full_design_wh;   // Wh; > 0 when present
    OptionalNumber charge_now_mah;          // mAh; may be 0
    OptionalNumber charge_full_mah;         // mAh; > 0 when present
    OptionalNumber charge_full_design_mah;  // mAh; > 0 when present
    OptionalNumber power_w;                 // W; > 0 charging, < 0 discharging; finite
    OptionalNumber current_ma;              // mA; same sign rule; finite
    OptionalNumber voltage_v;               // V; > 0 when present
    OptionalNumber capacity_percent;        // %; 0..100 when present
    OptionalNumber relative_charge_percent;  // %; only for relative_only batteries
    OptionalNumber relative_health_percent;  // %; only for relative_only batteries
    std::uint32_t cycle_count = 0;  // meaningful only when has_cycle_count
    bool has_cycle_count = false;
    bool charging = false;           // status is "Charging"
    bool discharging = false;        // status is "Discharging"
    bool on_external_power = false;  // an adapter is online, or the battery charges
    bool relative_only = false;      // physical units are not to be shown
    bool direction_known = true;     // the sign of power_w/current_ma tells charge from drain

    // Every field, so that a field added later counts too.
    bool operator==(const BatteryReading& other) const = default;
};

// Every battery one pass found plus at most one problem text. Moved, and copied only by
// copy_of: a move leaves the source with no readings and an empty message, ready to be filled
// again.
struct BatterySnapshot {
    std::vector<BatteryReading> readings;  // live: byte-wise order of the directory name
    std::string error_message;             // empty when nothing went wrong

    BatterySnapshot() = default;
    BatterySnapshot(const BatterySnapshot&) = delete;
    BatterySnapshot& operator=(const BatterySnapshot&) = delete;
    BatterySnapshot(BatterySnapshot&& other) noexcept;
    BatterySnapshot& operator=(BatterySnapshot&& other) noexcept;
    ~BatterySnapshot() = default;

    bool operator==(const BatterySnapshot& other) const = default;
};

// The one way to copy a snapshot, for the reader's record of what it last published.
BatterySnapshot copy_of(const BatterySnapshot& snapshot);
