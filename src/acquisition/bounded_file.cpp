// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/bounded_file.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the descriptor on every way out.
class FdCloser {
  public:
    explicit FdCloser(int fd) : fd_(fd) {}
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
    ~FdCloser() { ::close(fd_); }

  private:
    int fd_;
};

constexpr std::size_t kFirstChunk = 4096;  // one sysfs page: a uevent file fits in one read

// Reads into bytes[0..room); returns the count, 0 at the end of the file or on an error.
std::size_t read_some(int fd, char* bytes, std::size_t room) {
    for (;;) {
        const ssize_t got = ::read(fd, bytes, room);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            return 0;
        }
    }
}

// Inline in both callers: the reading pass calls it for every supply.
inline BoundedRead read_from(int fd, std::string& buffer, std::size_t limit) {
    BoundedRead result;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return result;
    }
    result.opened = true;

    std::size_t& filled = result.size;
    buffer.resize(std::max(buffer.size(), std::min(limit, kFirstChunk)));
    for (;;) {
        const std::size_t room = std::min(buffer.size(), limit);
        if (filled == room) {
            if (filled >= limit) {
                break;
            }
            buffer.resize(std::min(limit, 2 * filled));
            continue;
        }
        const std::size_t got = read_some(fd, buffer.data() + filled, room - filled);
        if (got == 0) {
            return result;
        }
        filled += got;
    }
    // Full to the limit: one more byte tells a file of exactly `limit` bytes from a longer one.
    char probe = 0;
    ssize_t more = 0;
    do {
        more = ::read(fd, &probe, 1);
    } while (more < 0 && errno == EINTR);
    result.truncated = more > 0;
    return result;
}

} // namespace

BoundedRead read_regular_file(const char* path, std::string& buffer, std::size_t limit) {
    // O_NONBLOCK: opening a FIFO with no writer would otherwise wait forever. O_NOCTTY: a
    // terminal named like an attribute must not become our controlling terminal.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return {};
    }
    const FdCloser closer{fd};
    return read_from(fd, buffer, limit);
}

BoundedRead read_open_file(int fd, std::string& buffer, std::size_t limit) {
    return read_from(fd, buffer, limit);
}
