// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal/waybar_line.h"

#include "presentation/reading_view.h"
#include "terminal/json_writer.h"

std::string waybar_line(const BatterySnapshot& snapshot, CapacityUnit unit, bool demo_mode) {
    // The battery the window shows first; a bar module has room for one.
    const BatteryReading* reading = select_reading(snapshot, "");
    const ReadingView view = view_of_reading(snapshot, reading, unit, demo_mode, false);
    std::string tooltip = view.status_text + "\n" + view.title + " " + view.percent_text;
    for (const std::string& note : view.notes) {
        tooltip += "\n" + note;
    }
    const char* kind = reading == nullptr ? "no-battery"
                       : view.charging    ? "charging"
                       : view.discharging ? "discharging"
                                          : "not-charging";
    return json_object({
        {"text", json_string(view.compact_rate_text)},
        {"tooltip", json_string(tooltip)},
        {"class", json_string(kind)},
        {"percentage", json_number(view.charge_percent, 0)},
    });
}
