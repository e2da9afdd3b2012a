// SPDX-License-Identifier: GPL-3.0-or-later
// figure_format.h: the one way every figure of the window is written.
#pragma once
#include <string>

#include "acquisition/optional_number.h"

// The same number, made absent when its value is NaN or infinite.
OptionalNumber normalized(OptionalNumber number);

// "%.2f" (decimals != 0) or "%.0f" (decimals == 0) directly followed by the suffix; an absent
// or non-finite number is the em dash followed by the suffix. Suffixes carry their own
// leading space (" Wh", "%"). Adds no sign: callers that must not show one pass the
// magnitude. Uses the C library's formatting, so the decimal point follows LC_NUMERIC.
std::string format_figure(OptionalNumber number, int decimals, const char* suffix);

// The format (a translated text) with its one %s filled in by value.
std::string filled(const char* format, const std::string& value);

// A whole-number percentage as the user's language writes one: "64%", or with a space
// before the sign ("64 %"). An absent or non-finite number is the em dash in its place.
std::string format_percent(OptionalNumber number);
