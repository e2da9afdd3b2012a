// SPDX-License-Identifier: GPL-3.0-or-later
// label_font_size.h: font sizes of the figures that must fit their label, by text length.
#pragma once
#include <cstddef>

// Each takes the text's length in UTF-8 bytes ("—" and "≈" count three) and returns pixels.
int expanded_rate_font_px(std::size_t bytes);      // rate_label
int compact_rate_font_px(std::size_t bytes);       // compact_rate_label
int compact_remaining_font_px(std::size_t bytes);  // compact_remaining_label
