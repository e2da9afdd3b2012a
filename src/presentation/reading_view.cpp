// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/reading_view.h"

#include <cmath>
#include <string_view>

#include <glib.h>
#include <glib/gi18n-lib.h>

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

// A line break, then the format with its one %s filled in.
void append_line(std::string& text, const char* format, const std::string& value) {
    text += '\n';
    text += filled(format, value);
}

std::string details_text(const BatteryReading* reading, const std::string& title,
                         const std::string& error_message) {
    std::string details;
    if (reading != nullptr) {
        details = title;
        // TRANSLATORS: a line of "Battery information"; %s is the battery maker's name as
        // the battery reports it, or a dash.
        append_line(details, _("Manufacturer: %s"), or_dash(reading->manufacturer));
        // TRANSLATORS: a line of "Battery information"; %s is the cell chemistry as the
        // battery reports it ("Li-ion"), or a dash.
        append_line(details, _("Chemistry: %s"), or_dash(reading->technology));
        // TRANSLATORS: a line of "Battery information"; %s is the number of charge cycles
        // the battery has been through, or a dash.
        append_line(details, _("Cycles: %s"),
                    reading->has_cycle_count ? std::to_string(reading->cycle_count) : "—");
    } else if (error_message.empty()) {
        details = _("No system battery reported. Peripheral batteries and external UPS "
                    "devices are not included.");
    } else {
        details = printable(error_message);
    }
    details += "\n\n";
    details += _("Readings describe the battery, not wall power.");
    // TRANSLATORS: the last line of "Battery information"; %s is the program's version.
    append_line(details, _("Tavrino %s · Readings stay on this device."), kTavrinoVersion);
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
        return has_error ? _("Battery data unavailable") : _("No battery detected");
    }
    if (direction.charging) {
        // TRANSLATORS: the status line under the rate; name the battery's states as the
        // desktop's own power indicator does.
        return _("Charging");
    }
    if (direction.discharging) {
        return _("Discharging");
    }
    if (reading->on_external_power) {
        // TRANSLATORS: the status line when on external power, but the battery neither
        // charges nor drains (it is full, or held below a charge limit).
        return _("Plugged in · not charging");
    }
    // TRANSLATORS: the status line when there is no external power.
    return _("On battery");
}

// The notes about one physical (not relative-only) battery, after the general ones.
void append_reading_notes(std::string& notes, const BatteryReading& reading, CapacityUnit unit,
                          OptionalNumber display_rate, OptionalNumber remaining) {
    const OptionalNumber volts = normalized(reading.voltage_v);
    const bool voltage_usable = volts.present && volts.value > 0.0;
    if (!reading.direction_known && display_rate.present && display_rate.value != 0.0) {
        append_note(notes, _("Charge or drain direction is unavailable."));
    }
    if (voltage_usable && has_estimated_capacity(reading, unit)) {
        append_note(notes, unit == CapacityUnit::mAh
                               // TRANSLATORS: "current" means present, not electric current.
                               ? _("mAh is estimated using the current voltage.")
                               // TRANSLATORS: "current" means present, not electric current.
                               : _("Wh is estimated using the current voltage."));
    }
    if (!display_rate.present) {
        append_note(notes, _("The battery does not provide a usable live rate in this unit."));
    }
    if (!remaining.present && !voltage_usable) {
        append_note(notes, _("Voltage is unavailable for unit conversion."));
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
    view.health_text = format_percent(health_percent_of(reading));
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

    // TRANSLATORS: the heading above the big rate figure (watts or milliamperes) while the
    // battery drains, or neither charges nor drains.
    view.caption = _("Battery drain");
    if (direction.charging) {
        // TRANSLATORS: the heading above the big rate figure while the battery charges.
        view.caption = _("Battery charging");
    }
    if (reading != nullptr && !reading->direction_known && display_rate.present &&
        display_rate.value != 0.0) {
        // TRANSLATORS: the heading above the rate when the battery does not tell whether it
        // charges or drains.
        view.caption = _("Battery rate");
    }
    const OptionalNumber magnitude =
        display_rate.present ? OptionalNumber::of(std::fabs(display_rate.value)) : display_rate;
    view.rate_text = format_figure(magnitude, format.decimals, format.rate_suffix);
    const bool plus = direction.charging && display_rate.present && display_rate.value > 0.0;
    view.compact_rate_text = plus ? "+" + view.rate_text : view.rate_text;
    view.status_text = status_of(reading, direction, has_error);
    view.title =
        reading != nullptr && !reading->name.empty() ? printable(reading->name) : _("Battery");

    view.charge_percent = charge_percent_of(reading);
    view.percent_text = format_percent(view.charge_percent);
    const OptionalNumber remaining = capacity_figure(reading, &BatteryReading::energy_now_wh,
                                                     &BatteryReading::charge_now_mah, unit);
    view.remaining_text = format_figure(remaining, format.decimals, format.capacity_suffix);
    // Marked when the figure could only come from the voltage.
    const bool estimated =
        remaining.present &&
        !is_usable(unit == CapacityUnit::Wh ? reading->energy_now_wh : reading->charge_now_mah);
    view.compact_remaining_text = estimated ? "≈" + view.remaining_text : view.remaining_text;

    if (demo_mode) {
        // TRANSLATORS: a note under the figures when the program shows sample data (--demo).
        append_note(view.notes, _("Sample data · preview only."));
    }
    if (has_error) {
        append_note(view.notes,
                    _("Some battery data could not be read. Retrying automatically."));
    }
    if (reading == nullptr && !has_error) {
        append_note(view.notes, _("No system battery was reported by this device."));
    }
    if (reading != nullptr && reading->relative_only) {
        append_note(view.notes,
                    // TRANSLATORS: the battery reports percentages only: no Wh, mAh, W or mA.
                    _("This battery reports relative values; physical units are unavailable."));
    }
    if (physical) {
        append_reading_notes(view.notes, *reading, unit, display_rate, remaining);
    }

    if (!compact) {
        fill_expanded_figures(view, reading, unit, snapshot.error_message);
    }
    return view;
}
