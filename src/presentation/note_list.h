// SPDX-License-Identifier: GPL-3.0-or-later
// note_list.h: the explanatory notes under the figures, as one line of sentences.
#pragma once
#include <string>
#include <string_view>

// Appends a whole sentence, with exactly one space after any note already there.
void append_note(std::string& notes, std::string_view note);
