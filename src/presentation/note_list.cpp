// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/note_list.h"

#include <glib.h>
#include <glib/gi18n-lib.h>

void append_note(std::vector<std::string>& notes, std::string_view note) {
    notes.emplace_back(note);
}

std::string join_notes(const std::vector<std::string>& notes) {
    // TRANSLATORS: two sentences of the notes under the figures, one after the other: in
    // English with one space between them. Languages written without spaces between
    // sentences write "%s%s".
    const char* format = C_("joins two notes", "%s %s");
    std::string joined;
    for (const std::string& note : notes) {
        if (joined.empty()) {
            joined = note;
            continue;
        }
        g_autofree gchar* both = g_strdup_printf(format, joined.c_str(), note.c_str());
        joined = both;
    }
    return joined;
}
