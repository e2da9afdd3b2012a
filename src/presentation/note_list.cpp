// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/note_list.h"

void append_note(std::string& notes, std::string_view note) {
    if (!notes.empty()) {
        notes += ' ';
    }
    notes += note;
}
