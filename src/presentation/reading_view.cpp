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

// The caption of a line format such as "Manufacturer: %s": the text before the value, less
// the colon and blanks that lead to it ("Fabricant : %s" gives "Fabricant"). Empty when
// the language does not put the value last.
std::string caption_of(std::string_view format) {
    if (!format.ends_with("%s")) {
        return {};
    }
    std::string_view caption = format.substr(0, format.size() - 2);
    for (bool trimmed = true; trimmed;) {
        trimmed = false;
        for (const std::string_view end : {" ", ":", "\u00A0", "\u202F", "\uFF1A"}) {
            if (caption.ends_with(end)) {
                caption.remove_suffix(end.size());
                trimmed = true;
            }
        }
    }
    return std::string(caption);
}

DetailRow detail_row(const char* format, const std::string& value) {
    return {caption_of(format), value, filled(format, value)};
}

// The window's details: the title and rows (or why there is no battery), the footer, and
// after a reading the problem text.
std::string details_text(const ReadingView& view, bool has_reading) {
    std::string details;
    if (has_reading) {
        details = view.title;
        for (const DetailRow& row : view.detail_rows) {
            details += '\n' + row.line;
        }
    } else {
        details = view.problem.empty() ? view.no_battery_text : view.problem;
    }
    details += "\n\n" + view.footer;
    if (has_reading && !view.problem.empty()) {
        details += "\n\n" + view.problem;
    }
    return details;
}

void fill_detail_parts(ReadingView& view, const BatteryReading* reading) {
    if (reading != nullptr) {
        // TRANSLATORS: a line of "Battery information"; %s is the battery maker's name as
        // the battery reports it, or a dash.
        const char* manufacturer = _("Manufacturer: %s");
        // TRANSLATORS: a line of "Battery information"; %s is the cell chemistry as the
        // battery reports it ("Li-ion"), or a dash.
        const char* chemistry = _("Chemistry: %s");
        // TRANSLATORS: a line of "Battery information"; %s is the number of charge cycles
        // the battery has been through, or a dash.
        const char* cycles = _("Cycles: %s");
        view.detail_rows = {
            detail_row(manufacturer, or_dash(reading->manufacturer)),
            detail_row(chemistry, or_dash(reading->technology)),
            detail_row(cycles,
                       reading->has_cycle_count ? std::to_string(reading->cycle_count) : "—"),
        };
    } else if (view.problem.empty()) {
        view.no_battery_text = _("No system battery reported. Peripheral batteries and external "
                                 "UPS devices are not included.");
    }
    view.footer = _("Readings describe the battery, not wall power.");
    // TRANSLATORS: the last line of "Battery information"; %s is the program's version.
    view.footer += '\n' + filled(_("Tavrino %s · Readings stay on this device."), kTavrinoVersion);
    view.details = details_text(view, reading != nullptr);
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
void append_reading_notes(std::vector<std::string>& notes, const BatteryReading& reading,
                          CapacityUnit unit, OptionalNumber display_rate,
                          OptionalNumber remaining) {
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

// One capacity: its figure, whether it came only through the voltage (present, while its
// native field is not usable), and its text.
void fill_capacity(OptionalNumber& figure, bool& estimated, std::string& text,
                   const BatteryReading* reading, OptionalNumber BatteryReading::*wh,
                   OptionalNumber BatteryReading::*mah, CapacityUnit unit) {
    figure = capacity_figure(reading, wh, mah, unit);
    estimated = figure.present && !is_usable(reading->*(unit == CapacityUnit::Wh ? wh : mah));
    const UnitFormat format = format_of(unit);
    text = format_figure(figure, format.decimals, format.capacity_suffix);
}

// Full charge, design, health, voltage and details: shown on the expanded page only.
void fill_expanded_figures(ReadingView& view, const BatteryReading* reading, CapacityUnit unit) {
    fill_capacity(view.full_charge, view.full_charge_estimated, view.full_charge_text, reading,
                  &BatteryReading::energy_full_wh, &BatteryReading::charge_full_mah, unit);
    fill_capacity(view.design_capacity, view.design_capacity_estimated,
                  view.design_capacity_text, reading, &BatteryReading::energy_full_design_wh,
                  &BatteryReading::charge_full_design_mah, unit);
    view.health_percent = health_percent_of(reading);
    view.health_text = format_percent(view.health_percent);
    view.voltage_v = normalized(reading != nullptr ? reading->voltage_v : OptionalNumber::absent());
    view.voltage_text = format_figure(view.voltage_v, 2, " V");
    fill_detail_parts(view, reading);
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
    return view_of_reading(snapshot, select_reading(snapshot, selected_battery), unit, demo_mode,
                           compact);
}

ReadingView view_of_reading(const BatterySnapshot& snapshot, const BatteryReading* reading,
                            CapacityUnit unit, bool demo_mode, bool compact) {
    ReadingView view;
    const UnitFormat format = format_of(unit);
    const bool has_error = !snapshot.error_message.empty();
    const bool physical = reading != nullptr && !reading->relative_only;
    view.problem = has_error ? printable(snapshot.error_message) : "";
    if (reading != nullptr) {
        view.id = printable(reading->id);
        view.name = printable(reading->name);
        view.manufacturer = printable(reading->manufacturer);
        view.technology = printable(reading->technology);
        view.has_cycle_count = reading->has_cycle_count;
        view.cycle_count = reading->cycle_count;
    }

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
    view.charging = direction.charging;
    view.discharging = direction.discharging;

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
        view.direction_unknown = true;
    }
    view.rate =
        display_rate.present ? OptionalNumber::of(std::fabs(display_rate.value)) : display_rate;
    view.rate_text = format_figure(view.rate, format.decimals, format.rate_suffix);
    const bool plus = direction.charging && display_rate.present && display_rate.value > 0.0;
    view.compact_rate_text = plus ? "+" + view.rate_text : view.rate_text;
    view.status_text = status_of(reading, direction, has_error);
    view.title = !view.name.empty() ? view.name : _("Battery");

    view.charge_percent = charge_percent_of(reading);
    view.percent_text = format_percent(view.charge_percent);
    fill_capacity(view.remaining, view.remaining_estimated, view.remaining_text, reading,
                  &BatteryReading::energy_now_wh, &BatteryReading::charge_now_mah, unit);
    view.compact_remaining_text =
        view.remaining_estimated ? "≈" + view.remaining_text : view.remaining_text;

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
        append_reading_notes(view.notes, *reading, unit, display_rate, view.remaining);
    }

    if (!compact) {
        fill_expanded_figures(view, reading, unit);
    }
    return view;
}
