// SPDX-License-Identifier: GPL-3.0-or-later
// capture_run.h: one whole capture, from the power-supply tree to the archive in the output
// folder, stopped cleanly by SIGINT, SIGTERM or SIGHUP.
#pragma once
#include <filesystem>
#include <iosfwd>

struct CaptureOptions {
    std::filesystem::path root = "/sys/class/power_supply";
    std::filesystem::path output;  // empty: the current directory
};

// Blocks SIGINT, SIGTERM, SIGHUP and SIGCHLD in the calling thread (and so in threads it
// starts later) and restores SIGCHLD's default action, so that run_capture can wait for
// them itself. Call it first thing in main, before any other thread exists.
void block_capture_signals();

// Reads the tree, replaces its identifiers, reserves the archive's name in the output
// folder (tavrino-capture-YYYYMMDD-HHMMSS.tar.gz, or with -2, -3... when taken), lays the
// copy out in a private folder under $TMPDIR, has tar compress it into the reserved file
// and prints the summary and the replay command to `out`. Every failure is one line on
// `err`. On a failure or a stop signal, tar is stopped and reaped and the partial archive
// and the private folder are removed. Returns 0, 1 after a failure, or 128 plus the number
// of the stop signal. Needs block_capture_signals().
int run_capture(const CaptureOptions& options, std::ostream& out, std::ostream& err);
