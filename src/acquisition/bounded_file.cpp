#include "acquisition/bounded_file.h"

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

// Reads into bytes[filled..]; returns the count, 0 at the end of the file or on an error.
std::size_t read_some(int fd, std::string& bytes, std::size_t filled) {
    for (;;) {
        const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            return 0;
        }
    }
}

} // namespace

BoundedRead read_regular_file(const std::string& path, std::size_t limit) {
    BoundedRead result;
    // O_NONBLOCK: opening a FIFO with no writer would otherwise wait forever. O_NOCTTY: a
    // terminal named like an attribute must not become our controlling terminal.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return result;
    }
    const FdCloser closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return result;
    }
    result.opened = true;

    std::string& bytes = result.bytes;
    std::size_t filled = 0;
    bytes.resize(limit < kFirstChunk ? limit : kFirstChunk);
    for (;;) {
        if (filled == bytes.size()) {
            if (filled >= limit) {
                break;
            }
            bytes.resize(limit - filled < filled ? limit : 2 * filled);
        }
        const std::size_t got = read_some(fd, bytes, filled);
        if (got == 0) {
            bytes.resize(filled);
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
