// bounded_file.h: reads a small regular file without blocking and without reading forever.
#pragma once
#include <cstddef>
#include <string>

// Well above a sysfs page (4 KiB): a file that never ends, such as a link to a huge file,
// costs at most this much.
inline constexpr std::size_t kMaxFileBytes = 64 * 1024;

struct BoundedRead {
    std::string bytes;       // what was read, at most the limit
    bool opened = false;     // a regular file was opened
    bool truncated = false;  // the file holds more than the limit
};

// Reads at most `limit` bytes of the file. Anything that is not a regular file once opened
// (a FIFO, a device, a directory, a socket) reads as not opened: the open never blocks and
// nothing is read from it. A read error ends the read and keeps what came before it.
// Takes the path as plain text: it is read for every supply on every pass, and building a
// std::filesystem::path per file costs more than the read itself.
BoundedRead read_regular_file(const std::string& path, std::size_t limit = kMaxFileBytes);
