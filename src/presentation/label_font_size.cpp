// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/label_font_size.h"

int expanded_rate_font_px(std::size_t bytes) {
    if (bytes <= 11) {
        return 48;
    }
    return bytes <= 15 ? 32 : 24;
}

int compact_rate_font_px(std::size_t bytes) {
    if (bytes <= 7) {
        return 20;
    }
    if (bytes <= 10) {
        return 16;
    }
    return bytes <= 14 ? 12 : 10;
}

int compact_remaining_font_px(std::size_t bytes) {
    if (bytes <= 13) {
        return 13;
    }
    return bytes <= 18 ? 11 : 9;
}
