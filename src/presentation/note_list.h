// SPDX-License-Identifier: GPL-3.0-or-later
// note_list.h: the explanatory notes under the figures, kept as a list of sentences.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Adds a whole sentence after the notes already there.
void append_note(std::vector<std::string>& notes, std::string_view note);

// The notes as the window shows them, one line: in English one space between two notes,
// none before the first or after the last. The joining is a translated format, so that a
// language written without spaces can join its sentences its own way.
std::string join_notes(const std::vector<std::string>& notes);
