// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/supply_cache.h"

#include <stdexcept>
#include <utility>

#include <sys/stat.h>

#include "acquisition/attribute_map.h"
#include "acquisition/battery_reading.h"
#include "acquisition/supply_scan.h"
#include "acquisition/utf8_text.h"

namespace {

// The list is rebuilt at least this often, so a battery plugged in shows up without a
// rescan request.
constexpr std::chrono::seconds kRescanInterval{30};

// Scans root into the cache; false when root could not be listed. A scan that throws leaves
// the old list and asks for another scan, so one bad listing is retried on the next pass
// rather than 30 s later.
bool rescan(SupplyCache& cache, BatterySnapshot& snapshot) {
    ScanResult scan;
    try {
        scan = scan_supplies(cache.root, cache.attributes, snapshot);
    } catch (const std::filesystem::filesystem_error& failure) {
        cache.rescan_requested.store(true);
        // Its text names the root, which need not be valid UTF-8, and it reaches the window.
        throw std::runtime_error(make_valid_utf8(failure.what()));
    } catch (...) {
        cache.rescan_requested.store(true);
        throw;
    }
    if (!scan.listed) {
        cache.supplies.clear();
        cache.rescan_requested.store(true);
        return false;
    }
    if (scan.rescan_wanted) {
        cache.rescan_requested.store(true);
    }
    cache.supplies = std::move(scan.supplies);
    return true;
}

// Gone, unreadable, or no longer a directory: skip it and rediscover on the next pass.
// Follows a symbolic link, as supplies usually are.
bool still_a_directory(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The pass, for the real clock and for the tests' clocks alike.
template <typename Clock> BatterySnapshot live_pass(SupplyCache& cache, const Clock& now) {
    BatterySnapshot snapshot;
    const std::chrono::steady_clock::time_point started = now();
    const bool asked = cache.rescan_requested.exchange(false);
    if (asked || started - cache.last_scan >= kRescanInterval) {
        if (!rescan(cache, snapshot)) {
            return snapshot;
        }
        cache.last_scan = now();  // taken after the scan: it may be slow
    }

    bool adapter_online = false;
    AttributeMap& map = cache.attributes;
    snapshot.readings.reserve(cache.supplies.size());
    for (const SupplyEntry& entry : cache.supplies) {
        if (!still_a_directory(entry.path)) {
            cache.rescan_requested.store(true);
            continue;
        }
        read_attributes(map, entry.path.native());
        if (!entry.is_battery) {
            if (!adapter_online) {
                // QUIRK: programmable USB supplies report online=2; that is "on" too.
                const OptionalNumber online = read_integer(map, Attribute::Online);
                adapter_online = online.present && (online.value == 1 || online.value == 2);
            }
            continue;
        }
        const OptionalNumber present = read_integer(map, Attribute::Present);
        if (present.present && present.value == 0) {
            continue;  // an empty battery bay
        }
        if (read_battery(map, entry.name, entry.display_name, entry.manufacturer, entry.technology,
                         snapshot)) {
            cache.rescan_requested.store(true);
        }
    }

    for (BatteryReading& reading : snapshot.readings) {
        reading.on_external_power = adapter_online || reading.charging;
    }
    return snapshot;
}

} // namespace

BatterySnapshot run_live_pass(SupplyCache& cache) {
    return live_pass(cache, std::chrono::steady_clock::now);
}

BatterySnapshot run_live_pass(SupplyCache& cache, const SteadyClockNow& now) {
    return live_pass(cache, now);
}
