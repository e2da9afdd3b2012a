// location_env.h: sets the three variables that locate the unit file, for one test.
#pragma once
#include <cstdlib>
#include <optional>
#include <string>

// Sets the three location variables for one test (nullptr = unset), restores them after.
struct LocationEnv {
    static constexpr const char* kNames[3] = {"TAVRINO_CONFIG_HOME", "XDG_CONFIG_HOME", "HOME"};

    LocationEnv(const char* own, const char* xdg, const char* home) {
        const char* values[] = {own, xdg, home};
        for (int i = 0; i < 3; ++i) {
            const char* old = std::getenv(kNames[i]);
            saved[i] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
            set(kNames[i], values[i]);
        }
    }
    ~LocationEnv() {
        for (int i = 0; i < 3; ++i) {
            set(kNames[i], saved[i] ? saved[i]->c_str() : nullptr);
        }
    }
    LocationEnv(const LocationEnv&) = delete;
    LocationEnv& operator=(const LocationEnv&) = delete;

    static void set(const char* name, const char* value) {
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    std::optional<std::string> saved[3];
};
