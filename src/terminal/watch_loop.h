// SPDX-License-Identifier: GPL-3.0-or-later
// watch_loop.h: --watch, a pass every 2 seconds, printed only when its output changed.
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

struct WatchSettings {
    std::chrono::milliseconds interval{2000};
    std::int32_t quit_after_seconds = 0;  // 0: until a signal or a closed output
    bool blank_line_between = false;      // text blocks are set apart by an empty line
};

// Calls pass() at once and then every interval, and writes its output to fd whenever it
// differs from the output last written. Ends on SIGINT or SIGTERM, when the reader of fd
// goes away, or after quit_after_seconds: status 0. Status 1 when a write fails otherwise.
// Installs handlers for SIGINT and SIGTERM and ignores SIGPIPE for the rest of the process.
int watch_loop(const std::function<std::string()>& pass, int fd, const WatchSettings& settings);
