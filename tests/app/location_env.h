// location_env.h: sets the three variables that locate the unit file for one scope
// (nullptr unsets), and restores them after.
#pragma once
#include <array>
#include <cstdlib>
#include <optional>
#include <string>

struct LocationEnv {
    static constexpr std::array<const char*, 3> kNames = {"TAVRINO_CONFIG_HOME",
                                                         "XDG_CONFIG_HOME", "HOME"};
    LocationEnv(const char* own, const char* xdg, const char* home) {
        const std::array<const char*, 3> values = {own, xdg, home};
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            const char* old = std::getenv(kNames[i]);
            saved[i] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
            set(kNames[i], values[i]);
        }
    }
    ~LocationEnv() {
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            set(kNames[i], saved[i] ? saved[i]->c_str() : nullptr);
        }
    }
    LocationEnv(const LocationEnv&) = delete;
    LocationEnv& operator=(const LocationEnv&) = delete;

    static void set(const char* name, const char* value) {
        value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
    std::array<std::optional<std::string>, 3> saved;
};
