// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/note_list.h"

#include <glib.h>
#include <glib/gi18n-lib.h>

void append_note(std::vector<std::string>& notes, std::string_view note) {
    notes.emplace_back(note);
}

std::string join_notes(const std::vector<std::string>& notes) {
    // TRANSLATORS: what stands between two sentences of the notes under the figures: one
    // space in English. Languages written without spaces may leave it empty or keep it.
    const char* separator = C_("joins the notes", " ");
    std::string joined;
    for (const std::string& note : notes) {
        if (!joined.empty()) {
            joined += separator;
        }
        joined += note;
    }
    return joined;
}
