// SPDX-License-Identifier: GPL-3.0-or-later
// print_form.h: which terminal face --print asked for, if any.
#pragma once

// none: the window. text: rows for a person; json: one object for a script; waybar: one
// line in the form a status bar's custom module reads.
enum class PrintForm { none, text, json, waybar };
