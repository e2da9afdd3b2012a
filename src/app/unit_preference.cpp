// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/unit_preference.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

constexpr char kWhByte = 'W';
constexpr char kMahByte = 'm';

char unit_byte(CapacityUnit unit) { return unit == CapacityUnit::mAh ? kMahByte : kWhByte; }

// Set, not empty and absolute; anything else is passed over as if unset.
const char* absolute_variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? value : nullptr;
}

// Opens path for buffered reading only if it is a regular file. O_NONBLOCK keeps a FIFO
// (or a device) at the path from blocking the start-up in open(); such a file is then
// refused, so reading never waits either.
FilePtr open_regular_file(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        close(fd);
    }
    return FilePtr(file);
}

// mkdir on every prefix of dir that ends at a "/" or at its end, from the top down. An
// existing entry (EEXIST, even a plain file) is accepted; the open of the temporary file
// fails later if it is not a directory.
bool make_directories(const std::string& dir) {
    for (std::size_t i = 1; i <= dir.size(); ++i) {
        if (i != dir.size() && dir[i] != '/') {
            continue;
        }
        if (mkdir(dir.substr(0, i).c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

// One byte into a new temporary file, renamed over path. mkostemp creates the file itself
// (O_EXCL, mode 0600) under a name nobody can guess: a link, a FIFO or a stale file planted
// at a predictable name could otherwise be followed, block the UI thread or keep its mode.
// The temporary file is unlinked after any failure once it exists.
bool replace_file(const std::string& path, char byte) {
    std::string temporary = path + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ssize_t written = 0;
    do {
        written = write(fd, &byte, 1);
    } while (written < 0 && errno == EINTR);
    // On disk before the rename, so a crash leaves the old byte or the new one, never none.
    const bool synced = written == 1 && fsync(fd) == 0;
    // Closed whatever the write gave; a failed close may mean the byte never reached disk.
    const bool closed = close(fd) == 0;
    if (synced && closed && std::rename(temporary.c_str(), path.c_str()) == 0) {
        return true;
    }
    unlink(temporary.c_str());
    return false;
}

}  // namespace

std::string unit_file_path() {
    if (const char* own = absolute_variable("TAVRINO_CONFIG_HOME")) {
        return std::string(own) + "/unit";
    }
    if (const char* xdg = absolute_variable("XDG_CONFIG_HOME")) {
        return std::string(xdg) + "/tavrino/unit";
    }
    if (const char* home = absolute_variable("HOME")) {
        return std::string(home) + "/.config/tavrino/unit";
    }
    return {};
}

std::optional<char> read_unit_file(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    const FilePtr file = open_regular_file(path);
    if (!file) {
        return std::nullopt;
    }
    const int first = std::fgetc(file.get());
    if (std::fgetc(file.get()) != EOF) {
        return std::nullopt;  // more than one byte, even "W\n", is no preference
    }
    if (first == kWhByte || first == kMahByte) {
        return static_cast<char>(first);
    }
    return std::nullopt;
}

bool save_unit_file(CapacityUnit unit) {
    const std::string path = unit_file_path();
    if (path.empty()) {
        return false;
    }
    const char byte = unit_byte(unit);
    if (read_unit_file(path) == byte) {
        return true;
    }
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return false;
    }
    if (!make_directories(path.substr(0, slash))) {
        return false;
    }
    return replace_file(path, byte);
}

CapacityUnit choose_unit(const StartupSettings& settings) {
    if (settings.unit_given) {
        return settings.unit_option;
    }
    if (settings.demo_given) {
        return CapacityUnit::Wh;
    }
    return read_unit_file(unit_file_path()) == kMahByte ? CapacityUnit::mAh : CapacityUnit::Wh;
}
