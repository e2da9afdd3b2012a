// SPDX-License-Identifier: GPL-3.0-or-later
// json_writer.h: the pieces of a JSON text, written by hand: strings, figures, lists, objects.
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "acquisition/optional_number.h"

// The text quoted, with '"', '\' and every control character escaped (as \u00XX). The
// text must be valid UTF-8; the views' texts are.
std::string json_string(std::string_view utf8);
// null for an empty text: an absent text is never "".
std::string json_text_or_null(std::string_view utf8);
// The figure with 0 or 2 decimals and a '.' whatever the locale, rounded as the window
// rounds it; null when absent or not finite.
std::string json_number(OptionalNumber number, int decimals);
// Each item already JSON.
std::string json_list(const std::vector<std::string>& items);
// Keys in the given order, each value already JSON.
using JsonFields = std::vector<std::pair<std::string_view, std::string>>;
std::string json_object(const JsonFields& fields);
