// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal/standard_output.h"

#include <array>
#include <cerrno>

#include <glib.h>
#include <unistd.h>

namespace {

// What the program's own texts use beyond ASCII, for a set that lacks them.
std::string_view ascii_stand_in(gunichar c) {
    switch (c) {
    case 0x2014:  // the dash of a missing figure
        return "-";
    case 0x2248:  // the mark of an estimated figure
        return "~";
    case 0x00B7:  // the middle dot between two parts of a text
        return "-";
    default:
        return "?";
    }
}

}  // namespace

std::string in_locale_charset(const std::string& utf8) {
    const char* charset = nullptr;
    if (g_get_charset(&charset)) {
        return utf8;
    }
    GIConv converter = g_iconv_open(charset, "UTF-8");
    if (converter == reinterpret_cast<GIConv>(-1)) {
        return utf8;  // a set that iconv does not know: UTF-8 is the best there is
    }
    // One character at a time, so that one the set cannot hold is replaced alone.
    std::string converted;
    for (const char* p = utf8.c_str(); *p != '\0'; p = g_utf8_next_char(p)) {
        char* in = const_cast<char*>(p);
        gsize in_left = static_cast<gsize>(g_utf8_next_char(p) - p);
        std::array<char, 16> out{};
        char* out_at = out.data();
        gsize out_left = out.size();
        if (g_iconv(converter, &in, &in_left, &out_at, &out_left) == static_cast<gsize>(-1)) {
            g_iconv(converter, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
            converted += ascii_stand_in(g_utf8_get_char_validated(p, -1));
        } else {
            converted.append(out.data(), out_at);
        }
    }
    g_iconv_close(converter);
    return converted;
}

WriteResult write_all(int fd, std::string_view text,
                      const volatile std::sig_atomic_t* stop_signal) {
    while (!text.empty()) {
        // Also after a short write: a signal may have cut it, and the rest may block.
        if (stop_signal != nullptr && *stop_signal != 0) {
            return WriteResult::interrupted;
        }
        const ssize_t n = write(fd, text.data(), text.size());
        if (n >= 0) {
            text.remove_prefix(static_cast<std::size_t>(n));
        } else if (errno == EPIPE) {
            return WriteResult::closed;
        } else if (errno != EINTR) {
            return WriteResult::failed;
        }
    }
    return WriteResult::written;
}
