// SPDX-License-Identifier: GPL-3.0-or-later
// standard_output.h: writing the printed readings, in the locale's character set.
#pragma once
#include <csignal>
#include <string>
#include <string_view>

enum class WriteResult {
    written,
    closed,       // the reader went away (EPIPE): a clean end, not a failure
    interrupted,  // a stop signal arrived during a blocked write
    failed,       // errno tells why
};

// The text as the locale's character set writes it: unchanged under UTF-8, else converted;
// a character the set cannot hold becomes an ASCII stand-in ("—" a "-") or "?".
std::string in_locale_charset(const std::string& utf8);

// Writes all of text to fd, retrying short and interrupted writes, unless *stop_signal is
// found set (stop_signal may be null).
WriteResult write_all(int fd, std::string_view text,
                      const volatile std::sig_atomic_t* stop_signal);
