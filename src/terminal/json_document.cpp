// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal/json_document.h"

#include <string_view>
#include <vector>

#include "presentation/reading_view.h"
#include "terminal/json_writer.h"

namespace {

std::string json_bool(bool value) { return value ? "true" : "false"; }

std::string direction_of(const ReadingView& view) {
    if (view.direction_unknown) {
        return "null";
    }
    // A battery that neither charges nor drains has no direction either.
    return view.charging ? "\"charging\"" : view.discharging ? "\"discharging\"" : "null";
}

// The names of the figures that came from the other unit through the voltage.
std::string estimated_names(const ReadingView& wh, const ReadingView& mah) {
    std::vector<std::string> names;
    const auto add = [&names](bool estimated, std::string_view name) {
        if (estimated) {
            names.push_back(json_string(name));
        }
    };
    add(wh.remaining_estimated, "remaining_wh");
    add(wh.full_charge_estimated, "full_wh");
    add(wh.design_capacity_estimated, "design_wh");
    add(mah.remaining_estimated, "remaining_mah");
    add(mah.full_charge_estimated, "full_mah");
    add(mah.design_capacity_estimated, "design_mah");
    return json_list(names);
}

std::string battery_object(const BatterySnapshot& snapshot, const BatteryReading& reading,
                           CapacityUnit unit, bool demo_mode) {
    // The same views the window renders, one per unit: each figure as the window shows it.
    const ReadingView wh = view_of_reading(snapshot, &reading, CapacityUnit::Wh, demo_mode, false);
    const ReadingView mah =
        view_of_reading(snapshot, &reading, CapacityUnit::mAh, demo_mode, false);
    const ReadingView& shown = unit == CapacityUnit::mAh ? mah : wh;
    std::vector<std::string> notes;
    for (const std::string& note : shown.notes) {
        notes.push_back(json_string(note));
    }
    return json_object({
        {"id", json_string(shown.id)},
        {"name", json_text_or_null(shown.name)},
        {"direction", direction_of(shown)},
        {"on_external_power", json_bool(reading.on_external_power)},
        {"relative_only", json_bool(reading.relative_only)},
        {"rate_w", json_number(wh.rate, 2)},
        {"rate_ma", json_number(mah.rate, 0)},
        {"percent", json_number(shown.charge_percent, 0)},
        {"remaining_wh", json_number(wh.remaining, 2)},
        {"full_wh", json_number(wh.full_charge, 2)},
        {"design_wh", json_number(wh.design_capacity, 2)},
        {"remaining_mah", json_number(mah.remaining, 0)},
        {"full_mah", json_number(mah.full_charge, 0)},
        {"design_mah", json_number(mah.design_capacity, 0)},
        {"estimated", estimated_names(wh, mah)},
        {"health_percent", json_number(shown.health_percent, 0)},
        {"voltage_v", json_number(shown.voltage_v, 2)},
        {"technology", json_text_or_null(shown.technology)},
        {"manufacturer", json_text_or_null(shown.manufacturer)},
        {"cycle_count", shown.has_cycle_count ? std::to_string(shown.cycle_count) : "null"},
        {"caption", json_string(shown.caption)},
        {"status_text", json_string(shown.status_text)},
        {"compact_rate_text", json_string(shown.compact_rate_text)},
        {"compact_remaining_text", json_string(shown.compact_remaining_text)},
        {"notes", json_list(notes)},
    });
}

}  // namespace

std::string json_document(const BatterySnapshot& snapshot, CapacityUnit unit, bool demo_mode) {
    std::vector<std::string> batteries;
    for (const BatteryReading& reading : snapshot.readings) {
        batteries.push_back(battery_object(snapshot, reading, unit, demo_mode));
    }
    const ReadingView general = view_of_reading(snapshot, nullptr, unit, demo_mode, true);
    return json_object({
        {"format", std::to_string(kJsonFormat)},
        {"demo", json_bool(demo_mode)},
        {"unit", json_string(unit == CapacityUnit::mAh ? "mAh" : "Wh")},
        {"problem", json_text_or_null(general.problem)},
        {"batteries", json_list(batteries)},
    });
}
