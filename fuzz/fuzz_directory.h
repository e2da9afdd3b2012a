// SPDX-License-Identifier: GPL-3.0-or-later
// fuzz_directory.h: one private directory per fuzzing process, emptied between inputs.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

inline const std::filesystem::path& fuzz_directory() {
    static const std::filesystem::path dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavrino-fuzz-XXXXXX");
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        // Removed at exit so that long runs leave nothing behind in the temp directory.
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(fuzz_directory(), ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return dir;
}

// Empties the directory, keeping the directory itself.
inline void clear_fuzz_directory() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(fuzz_directory(), ignored)) {
        std::filesystem::remove_all(entry.path(), ignored);
    }
}
