// blocking_open.cpp: a test-only LD_PRELOAD library that holds the program's reader inside a
// pass, so a test can act while the pass runs. Never linked into the program.
//
// The first open() of a path ending in $TAVRINO_TEST_BLOCK_SUFFIX creates the file
// "blocked" in the directory $TAVRINO_TEST_BLOCK_CONTROL, then waits until the test creates
// "release" there. Every other open() goes straight through.
#include <atomic>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

using OpenFunction = int (*)(const char*, int, ...);

OpenFunction next_open() {
    static auto* next = reinterpret_cast<OpenFunction>(dlsym(RTLD_NEXT, "open"));
    return next;
}

bool ends_with(const char* text, const char* suffix) {
    const std::size_t text_length = std::strlen(text);
    const std::size_t suffix_length = std::strlen(suffix);
    return text_length >= suffix_length &&
           std::strcmp(text + text_length - suffix_length, suffix) == 0;
}

void hold_until_released(const std::string& control) {
    const int marker = next_open()((control + "/blocked").c_str(), O_WRONLY | O_CREAT, 0600);
    if (marker >= 0) {
        close(marker);
    }
    const std::string release = control + "/release";
    while (access(release.c_str(), F_OK) != 0) {
        usleep(10000);
    }
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    static std::atomic<bool> held{false};
    const char* suffix = std::getenv("TAVRINO_TEST_BLOCK_SUFFIX");
    const char* control = std::getenv("TAVRINO_TEST_BLOCK_CONTROL");
    if (suffix != nullptr && control != nullptr && ends_with(path, suffix) &&
        !held.exchange(true)) {
        hold_until_released(control);
    }
    return next_open()(path, flags, mode);
}
