// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal/text_layout.h"

#include <algorithm>
#include <vector>

#include <glib.h>
#include <glib/gi18n-lib.h>

#include "presentation/reading_view.h"

namespace {

// A caption and its value; a row without caption is a line of its own, printed as it is.
struct Row {
    std::string caption;
    std::string value;
    bool repeated = false;  // the caption is the row above's: a terminal shows it once
};

void add_line(std::vector<Row>& rows, const std::string& text) {
    std::string_view rest = text;
    for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos;) {
        rows.push_back({"", std::string(rest.substr(0, end))});
        rest.remove_prefix(end + 1);
    }
    rows.push_back({"", std::string(rest)});
}

void add_battery(std::vector<Row>& rows, const ReadingView& view) {
    rows.push_back({view.caption, view.rate_text});
    // TRANSLATORS: a row caption of --print: the status line ("Discharging").
    rows.push_back({C_("print row", "Status"), view.status_text});
    rows.push_back({view.title, view.percent_text});
    rows.push_back({_("Remaining"), view.remaining_text});
    rows.push_back({_("Full charge"), view.full_charge_text});
    rows.push_back({_("Design capacity"), view.design_capacity_text});
    rows.push_back({_("Battery health"), view.health_text});
    rows.push_back({_("Voltage"), view.voltage_text});
    for (std::size_t i = 0; i < view.notes.size(); ++i) {
        // TRANSLATORS: a row caption of --print, before each explanatory note.
        rows.push_back({C_("print row", "Notes"), view.notes[i], i > 0});
    }
    for (const DetailRow& detail : view.detail_rows) {
        if (detail.caption.empty()) {
            add_line(rows, detail.line);
        } else {
            rows.push_back({detail.caption, detail.value});
        }
    }
}

}  // namespace

int display_width(std::string_view utf8) {
    int width = 0;
    for (const char* p = utf8.data(); p < utf8.data() + utf8.size(); p = g_utf8_next_char(p)) {
        const gunichar c = g_utf8_get_char(p);
        width += g_unichar_iszerowidth(c) ? 0 : g_unichar_iswide(c) ? 2 : 1;
    }
    return width;
}

std::string text_layout(const BatterySnapshot& snapshot, CapacityUnit unit, bool demo_mode,
                        bool terminal) {
    std::vector<Row> rows;
    for (const BatteryReading& reading : snapshot.readings) {
        add_battery(rows, view_of_reading(snapshot, &reading, unit, demo_mode, false));
        rows.push_back({});
    }
    const ReadingView general = view_of_reading(snapshot, nullptr, unit, demo_mode, false);
    // Why there is no battery is said by the view of none, and only then.
    std::string no_battery;
    if (snapshot.readings.empty()) {
        add_battery(rows, general);
        rows.push_back({});
        no_battery = general.no_battery_text;
    }
    for (const std::string& paragraph : {no_battery, general.problem}) {
        if (!paragraph.empty()) {
            add_line(rows, paragraph);
            rows.push_back({});
        }
    }
    add_line(rows, general.footer);

    int column = 0;
    for (const Row& row : rows) {
        column = std::max(column, display_width(row.caption));
    }
    std::string text;
    for (const Row& row : rows) {
        if (row.caption.empty()) {
            text += row.value;
        } else if (!terminal) {
            text += row.caption + ": " + row.value;
        } else {
            const std::string& caption = row.repeated ? std::string() : row.caption;
            text += caption + std::string(column + 2 - display_width(caption), ' ') + row.value;
        }
        text += '\n';
    }
    return text;
}
