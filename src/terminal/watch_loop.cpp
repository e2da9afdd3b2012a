// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal/watch_loop.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <optional>

#include <poll.h>

#include "terminal/standard_output.h"

namespace {

using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t stop_signal = 0;

void on_stop_signal(int signal_number) { stop_signal = signal_number; }

// The stop signals stay blocked while a pass runs, so that none is lost between a test of
// the flag and the wait: they are let in only inside the wait and a write, both of which
// they interrupt (no SA_RESTART).
sigset_t install_stop_handlers() {
    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);  // a closed output is EPIPE from write, not death
    sigset_t stop_set;
    sigemptyset(&stop_set);
    sigaddset(&stop_set, SIGINT);
    sigaddset(&stop_set, SIGTERM);
    sigset_t open_mask;
    sigprocmask(SIG_BLOCK, &stop_set, &open_mask);
    sigdelset(&open_mask, SIGINT);
    sigdelset(&open_mask, SIGTERM);
    return open_mask;
}

// Sleeps until `until`, a stop signal or the reader of fd going away (a pipe's reader
// closed, a terminal hung up), which an unchanged output would otherwise never notice;
// true when the loop is to end.
bool wait_until(Clock::time_point until, int fd, const sigset_t& open_mask) {
    while (stop_signal == 0) {
        const auto left = until - Clock::now();
        if (left <= Clock::duration::zero()) {
            return false;
        }
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout{static_cast<time_t>(ns / 1000000000),
                               static_cast<long>(ns % 1000000000)};
        pollfd output{fd, 0, 0};  // no events asked for: only errors and hang-ups wake it
        if (ppoll(&output, 1, &timeout, &open_mask) > 0 &&
            (output.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            return true;
        }
    }
    return true;
}

}  // namespace

int watch_loop(const std::function<std::string()>& pass, int fd, const WatchSettings& settings) {
    const sigset_t open_mask = install_stop_handlers();
    std::optional<Clock::time_point> deadline;
    const Clock::time_point start = Clock::now();
    if (settings.quit_after_seconds > 0) {
        deadline = start + std::chrono::seconds(settings.quit_after_seconds);
    }
    std::optional<std::string> last;
    for (Clock::time_point tick = start;; ) {
        std::string output = pass();
        if (output != last) {
            const std::string block = last && settings.blank_line_between ? "\n" + output : output;
            sigset_t blocked;
            sigprocmask(SIG_SETMASK, &open_mask, &blocked);
            const WriteResult result = write_all(fd, block, &stop_signal);
            sigprocmask(SIG_SETMASK, &blocked, nullptr);
            if (result == WriteResult::failed) {
                return 1;
            }
            if (result != WriteResult::written) {
                return 0;
            }
            last = std::move(output);
        }
        // Fixed steps from the start, as the window's timer: a slow pass does not shift them.
        tick += settings.interval;
        const Clock::time_point next = deadline ? std::min(tick, *deadline) : tick;
        if (wait_until(next, fd, open_mask) || (deadline && Clock::now() >= *deadline)) {
            return 0;
        }
    }
}
