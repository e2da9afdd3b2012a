// SPDX-License-Identifier: GPL-3.0-or-later
// blocking_open.cpp: a test-only LD_PRELOAD module, never linked into the program, that holds
// the reader inside a pass. The first open() of the path $TAVRINO_TEST_HOLD creates the file
// $TAVRINO_TEST_HOLD.held, waits until the test creates $TAVRINO_TEST_HOLD.release, then
// removes the first file and goes on.
#include <atomic>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

extern "C" int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    static auto* next = reinterpret_cast<int (*)(const char*, int, ...)>(dlsym(RTLD_NEXT, "open"));
    static std::atomic<bool> held{false};
    const char* hold = std::getenv("TAVRINO_TEST_HOLD");
    if (hold != nullptr && std::strcmp(path, hold) == 0 && !held.exchange(true)) {
        close(next((std::string(hold) + ".held").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
        while (access((std::string(hold) + ".release").c_str(), F_OK) != 0) {
            usleep(10000);
        }
        unlink((std::string(hold) + ".held").c_str());
    }
    return next(path, flags, mode);
}
