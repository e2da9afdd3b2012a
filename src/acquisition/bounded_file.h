// SPDX-License-Identifier: GPL-3.0-or-later
// bounded_file.h: reads a small regular file without blocking and without reading forever.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Well above a sysfs page (4 KiB): a file that never ends, such as a link to a huge file,
// costs at most this much.
inline constexpr std::size_t kMaxFileBytes = 64 * 1024;

struct BoundedRead {
    std::size_t size = 0;    // bytes read into the buffer, at most the limit
    bool opened = false;     // a regular file was opened
    bool truncated = false;  // the file holds more than the limit
};

// Reads at most `limit` bytes of the file into the start of buffer. Anything that is not a
// regular file once opened (a FIFO, a device, a directory, a socket) reads as not opened: the
// open never blocks and nothing is read from it. A read error ends the read and keeps what
// came before it. The buffer grows as needed and keeps its size, so a buffer reused for the
// next file costs no allocation: only its first `size` bytes are this file's.
// Takes the path as plain text: it is read for every supply on every pass, and building a
// std::filesystem::path per file costs more than the read itself.
BoundedRead read_regular_file(const char* path, std::string& buffer,
                              std::size_t limit = kMaxFileBytes);

// The same read from a descriptor the caller opened (with O_NONBLOCK, so that a FIFO
// cannot block) and closes.
BoundedRead read_open_file(int fd, std::string& buffer, std::size_t limit);

// The bytes a read put into buffer, up to and including their last LF when the limit cut the
// file: the cut line is incomplete, and its value would be wrong. Inline: every pass calls it
// for every supply.
inline std::string_view whole_lines(const std::string& buffer, const BoundedRead& read) {
    const std::string_view bytes(buffer.data(), read.size);
    if (!read.truncated) {
        return bytes;
    }
    const std::size_t last_lf = bytes.rfind('\n');
    return last_lf == std::string_view::npos ? std::string_view{} : bytes.substr(0, last_lf + 1);
}
