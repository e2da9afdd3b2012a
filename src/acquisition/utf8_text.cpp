// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/utf8_text.h"

#include <glib.h>

std::string make_valid_utf8(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    if (g_utf8_validate_len(text.data(), text.size(), nullptr)) {
        return std::string(text);
    }
    g_autofree gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    return {valid};
}
