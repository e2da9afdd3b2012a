// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/figure_format.h"

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdio>

#include <glib.h>
#include <glib/gi18n-lib.h>

OptionalNumber normalized(OptionalNumber number) {
    if (!number.present || !(std::fabs(number.value) <= DBL_MAX)) {
        return OptionalNumber::absent();
    }
    return number;
}

std::string format_figure(OptionalNumber number, int decimals, const char* suffix) {
    const OptionalNumber figure = normalized(number);
    if (!figure.present) {
        return std::string("—") + suffix;
    }
    // 96 bytes hold every figure a battery can report; an absurd one (1e300 Wh) is cut at
    // 95 bytes rather than overflowing. Suffixes are ASCII, so the cut never splits a
    // character.
    std::array<char, 96> buffer{};
    std::snprintf(buffer.data(), buffer.size(), decimals != 0 ? "%.2f%s" : "%.0f%s",
                  figure.value, suffix);
    return buffer.data();
}

std::string filled(const char* format, const std::string& value) {
    g_autofree gchar* text = g_strdup_printf(format, value.c_str());
    return text;
}

std::string format_percent(OptionalNumber number) {
    // TRANSLATORS: a percentage; %s is a whole number, or a dash when it is unknown, and %%
    // is the percent sign. Put the space your language writes before the sign, if any
    // (a no-break space, so the two never part).
    return filled(_("%s%%"), format_figure(number, 0, ""));
}
