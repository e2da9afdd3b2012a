// SPDX-License-Identifier: GPL-3.0-or-later
// utf8_text.h: text from firmware made fit for display.
#pragma once
#include <string>
#include <string_view>

// Valid UTF-8 comes back unchanged; each invalid byte (an embedded NUL included) becomes
// U+FFFD. Firmware strings such as model_name are arbitrary bytes, and GTK refuses to show
// a label that is not valid UTF-8.
std::string make_valid_utf8(std::string_view text);
