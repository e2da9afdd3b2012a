// SPDX-License-Identifier: GPL-3.0-or-later
// supply_cache.h: the reader's list of power supplies and the live reading pass.
#pragma once
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "acquisition/attribute_map.h"
#include "acquisition/battery_snapshot.h"

// One supply kept by a scan. Identity strings are read once per scan, not per pass.
struct SupplyEntry {
    std::filesystem::path path;  // as listed under the root (usually a symbolic link)
    std::string name;            // last path component, such as BAT0 or AC
    std::string display_name;    // batteries: model_name, else name; adapters: empty
    std::string manufacturer;    // batteries only
    std::string technology;      // batteries only; empty when "Unknown"
    bool is_battery = false;     // false: an external adapter
};

// Owned by the reader thread; only rescan_requested is also stored to by the UI thread.
struct SupplyCache {
    std::filesystem::path root = "/sys/class/power_supply";
    std::vector<SupplyEntry> supplies;  // byte-wise order of name
    std::atomic<bool> rescan_requested{true};
    std::chrono::steady_clock::time_point last_scan{};  // end of the last successful scan
    AttributeMap attributes;  // each supply's in turn, its buffers kept from pass to pass
};

// Reads the steady clock, so that tests can move time without sleeping.
using SteadyClockNow = std::function<std::chrono::steady_clock::time_point()>;

// One whole live pass: rescans the root when asked or every 30 s, then reads every cached
// supply. Runs on the reader thread with no lock held. Throws std::runtime_error (its text
// valid UTF-8) when the listing of the root breaks halfway; the cached list is then kept and
// a rescan requested. The first form reads the real steady clock.
BatterySnapshot run_live_pass(SupplyCache& cache);
BatterySnapshot run_live_pass(SupplyCache& cache, const SteadyClockNow& now);
