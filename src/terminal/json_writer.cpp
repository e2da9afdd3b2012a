// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal/json_writer.h"

#include <array>
#include <cstdio>

#include <glib.h>

#include "presentation/figure_format.h"

std::string json_string(std::string_view utf8) {
    std::string quoted = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7f) {
            std::array<char, 8> escape{};
            std::snprintf(escape.data(), escape.size(), "\\u%04x", byte);
            quoted += escape.data();
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string json_text_or_null(std::string_view utf8) {
    return utf8.empty() ? "null" : json_string(utf8);
}

std::string json_number(OptionalNumber number, int decimals) {
    const OptionalNumber figure = normalized(number);
    if (!figure.present) {
        return "null";
    }
    // The window's "%.2f" and "%.0f", in the C locale: the largest double has 309 digits.
    std::array<char, 320> buffer{};
    g_ascii_formatd(buffer.data(), buffer.size(), decimals != 0 ? "%.2f" : "%.0f",
                    figure.value);
    return buffer.data();
}

std::string json_list(const std::vector<std::string>& items) {
    std::string list = "[";
    for (const std::string& item : items) {
        list += (list.size() > 1 ? "," : "") + item;
    }
    return list + "]";
}

std::string json_object(const JsonFields& fields) {
    std::string object = "{";
    for (const auto& [key, value] : fields) {
        object += (object.size() > 1 ? "," : "") + json_string(key) + ":" + value;
    }
    return object + "}";
}
