#include "presentation/reading_view.h"

#include <cmath>
#include <string_view>

#include <glib.h>

#include "app/version.h"
#include "presentation/capacity_figures.h"
#include "presentation/figure_format.h"
#include "presentation/live_rate.h"
#include "presentation/note_list.h"

namespace {

struct UnitFormat {
    const char* rate_suffix;
    const char* capacity_suffix;
    int decimals;  // the same for the rate and the capacities of one unit
};

UnitFormat format_of(CapacityUnit unit) {
    if (unit == CapacityUnit::mAh) {
        return {" mA", " mAh", 0};
    }
    return {" W", " Wh", 2};
}

// Battery strings come from the kernel or the firmware as raw bytes. GTK wants valid UTF-8,
// and a control character has no place in a one-line label: a line feed or tab would break
// the heading's layout, and a CR comes back from a tooltip as a line feed, so the compare
// before set would rewrite that tooltip on every rendering. Both become U+FFFD here.
std::string printable(const std::string& text) {
    bool clean = g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        clean = clean && byte >= 0x20 && byte != 0x7f;
    }
    if (clean) {
        return text;
    }
    g_autofree gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string result;
    for (const char* p = valid; *p != '\0'; ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        if (byte < 0x20 || byte == 0x7f) {
            result += "\xEF\xBF\xBD";
        } else {
            result += *p;
        }
    }
    return result;
}

std::string or_dash(const std::string& text) { return text.empty() ? "—" : printable(text); }

std::string details_text(const BatteryReading* reading, const std::string& title,
                         const std::string& error_message) {
    std::string details;
    if (reading != nullptr) {
        details = title;
        details += "\nManufacturer: " + or_dash(reading->manufacturer);
        details += "\nChemistry: " + or_dash(reading->technology);
        details += "\nCycles: ";
        details += reading->has_cycle_count ? std::to_string(reading->cycle_count) : "—";
    } else if (error_message.empty()) {
        details = "No system battery reported. Peripheral batteries and external UPS devices "
                  "are not included.";
    } else {
        details = printable(error_message);
    }
    details += "\n\nReadings describe the battery, not wall power.\nTavrino ";
    details += kTavrinoVersion;
    details += " · Readings stay on this device.";
    if (reading != nullptr && !error_message.empty()) {
        details += "\n\n" + printable(error_message);
    }
    return details;
}

struct Direction {
    bool charging = false;
    bool discharging = false;
};

// The sign of the rate when the battery vouches for it, else the battery's own status.
Direction direction_of(const BatteryReading* reading, OptionalNumber direction_rate) {
    if (reading == nullptr) {
        return {};
    }
    if (reading->direction_known && direction_rate.present && direction_rate.value != 0.0) {
        return {direction_rate.value > 0.0, direction_rate.value < 0.0};
    }
    return {reading->charging, reading->discharging};
}

const char* status_of(const BatteryReading* reading, Direction direction, bool has_error) {
    if (reading == nullptr) {
        return has_error ? "Battery data unavailable" : "No battery detected";
    }
    if (direction.charging) {
        return "Charging";
    }
    if (direction.discharging) {
        return "Discharging";
    }
    return reading->on_external_power ? "Plugged in · not charging" : "On battery";
}

// The notes about one physical (not relative-only) battery, after the general ones.
void append_reading_notes(std::string& notes, const BatteryReading& reading, CapacityUnit unit,
                          OptionalNumber display_rate, OptionalNumber remaining) {
    const OptionalNumber volts = normalized(reading.voltage_v);
    const bool voltage_usable = volts.present && volts.value > 0.0;
    if (!reading.direction_known && display_rate.present && display_rate.value != 0.0) {
        append_note(notes, "Charge or drain direction is unavailable.");
    }
    if (voltage_usable && has_estimated_capacity(reading, unit)) {
        append_note(notes, unit == CapacityUnit::mAh
                               ? "mAh is estimated using the current voltage."
                               : "Wh is estimated using the current voltage.");
    }
    if (!display_rate.present) {
        append_note(notes, "The battery does not provide a usable live rate in this unit.");
    }
    if (!remaining.present && !voltage_usable) {
        append_note(notes, "Voltage is unavailable for unit conversion.");
    }
}

// One of the three capacities in the display unit; a relative-only battery has none.
OptionalNumber capacity_figure(const BatteryReading* reading, OptionalNumber BatteryReading::*wh,
                               OptionalNumber BatteryReading::*mah, CapacityUnit unit) {
    if (reading == nullptr || reading->relative_only) {
        return OptionalNumber::absent();
    }
    return capacity_in_unit(reading->*wh, reading->*mah, reading->voltage_v, unit);
}

// Full charge, design, health, voltage and details: shown on the expanded page only.
void fill_expanded_figures(ReadingView& view, const BatteryReading* reading, CapacityUnit unit,
                           const std::string& error_message) {
    const UnitFormat format = format_of(unit);
    const OptionalNumber full = capacity_figure(reading, &BatteryReading::energy_full_wh,
                                                &BatteryReading::charge_full_mah, unit);
    view.full_charge_text = format_figure(full, format.decimals, format.capacity_suffix);
    const OptionalNumber design =
        capacity_figure(reading, &BatteryReading::energy_full_design_wh,
                        &BatteryReading::charge_full_design_mah, unit);
    view.design_capacity_text = format_figure(design, format.decimals, format.capacity_suffix);
    view.health_text = format_figure(health_percent_of(reading), 0, "%");
    view.voltage_text =
        format_figure(reading != nullptr ? reading->voltage_v : OptionalNumber::absent(), 2, " V");
    view.details = details_text(reading, view.title, error_message);
}

}  // namespace

const BatteryReading* select_reading(const BatterySnapshot& snapshot,
                                     const std::string& selected_battery) {
    for (const BatteryReading& reading : snapshot.readings) {
        if (reading.id == selected_battery) {
            return &reading;
        }
    }
    return snapshot.readings.empty() ? nullptr : &snapshot.readings.front();
}

ReadingView compute_reading_view(const BatterySnapshot& snapshot, CapacityUnit unit,
                                 const std::string& selected_battery, bool demo_mode,
                                 bool compact) {
    ReadingView view;
    const BatteryReading* reading = select_reading(snapshot, selected_battery);
    const UnitFormat format = format_of(unit);
    const bool has_error = !snapshot.error_message.empty();
    const bool physical = reading != nullptr && !reading->relative_only;

    // The display rate is shown; the direction rate, in W when known, tells its sign.
    OptionalNumber display_rate;
    OptionalNumber direction_rate;
    if (reading != nullptr) {
        display_rate = rate_in_unit(*reading, unit);
        direction_rate = rate_in_unit(*reading, CapacityUnit::Wh);
        if (!direction_rate.present) {
            direction_rate = rate_in_unit(*reading, CapacityUnit::mAh);
        }
    }
    const Direction direction = direction_of(reading, direction_rate);

    view.caption = direction.charging ? "Battery charging" : "Battery drain";
    if (reading != nullptr && !reading->direction_known && display_rate.present &&
        display_rate.value != 0.0) {
        view.caption = "Battery rate";
    }
    const OptionalNumber magnitude =
        display_rate.present ? OptionalNumber::of(std::fabs(display_rate.value)) : display_rate;
    view.rate_text = format_figure(magnitude, format.decimals, format.rate_suffix);
    const bool plus = direction.charging && display_rate.present && display_rate.value > 0.0;
    view.compact_rate_text = plus ? "+" + view.rate_text : view.rate_text;
    view.status_text = status_of(reading, direction, has_error);
    view.title =
        reading != nullptr && !reading->name.empty() ? printable(reading->name) : "Battery";

    view.charge_percent = charge_percent_of(reading);
    view.percent_text = format_figure(view.charge_percent, 0, "%");
    const OptionalNumber remaining = capacity_figure(reading, &BatteryReading::energy_now_wh,
                                                     &BatteryReading::charge_now_mah, unit);
    view.remaining_text = format_figure(remaining, format.decimals, format.capacity_suffix);
    // Marked when the figure could only come from the voltage.
    const bool estimated =
        remaining.present &&
        !is_usable(unit == CapacityUnit::Wh ? reading->energy_now_wh : reading->charge_now_mah);
    view.compact_remaining_text = estimated ? "≈" + view.remaining_text : view.remaining_text;

    if (demo_mode) {
        append_note(view.notes, "Sample data · preview only.");
    }
    if (has_error) {
        append_note(view.notes, "Some battery data could not be read. Retrying automatically.");
    }
    if (reading == nullptr && !has_error) {
        append_note(view.notes, "No system battery was reported by this device.");
    }
    if (reading != nullptr && reading->relative_only) {
        append_note(view.notes,
                    "This battery reports relative values; physical units are unavailable.");
    }
    if (physical) {
        append_reading_notes(view.notes, *reading, unit, display_rate, remaining);
    }

    if (!compact) {
        fill_expanded_figures(view, reading, unit, snapshot.error_message);
    }
    return view;
}
