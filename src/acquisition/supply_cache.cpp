#include "acquisition/supply_cache.h"

#include <stdexcept>
#include <system_error>
#include <utility>

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
bool rescan(SupplyCache& cache, const SteadyClockNow& now, BatterySnapshot& snapshot) {
    ScanResult scan;
    try {
        scan = scan_supplies(cache.root, snapshot);
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
    cache.last_scan = now();
    return true;
}

// Gone, unreadable, or no longer a directory: skip it and rediscover on the next pass.
bool still_a_directory(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    return !error && std::filesystem::is_directory(status);
}

} // namespace

BatterySnapshot run_live_pass(SupplyCache& cache) {
    return run_live_pass(cache, [] { return std::chrono::steady_clock::now(); });
}

BatterySnapshot run_live_pass(SupplyCache& cache, const SteadyClockNow& now) {
    BatterySnapshot snapshot;
    const std::chrono::steady_clock::time_point started = now();
    const bool asked = cache.rescan_requested.exchange(false);
    if ((asked || started - cache.last_scan >= kRescanInterval) &&
        !rescan(cache, now, snapshot)) {
        return snapshot;
    }

    bool adapter_online = false;
    snapshot.readings.reserve(cache.supplies.size());
    for (const SupplyEntry& entry : cache.supplies) {
        if (!still_a_directory(entry.path)) {
            cache.rescan_requested.store(true);
            continue;
        }
        AttributeMap map = read_attributes(entry.path);
        if (!entry.is_battery) {
            if (!adapter_online) {
                // QUIRK: programmable USB supplies report online=2; that is "on" too.
                const OptionalNumber online = read_integer(map, entry.path, "online");
                adapter_online = online.present && (online.value == 1 || online.value == 2);
            }
            continue;
        }
        const OptionalNumber present = read_integer(map, entry.path, "present");
        if (present.present && present.value == 0) {
            continue;  // an empty battery bay
        }
        BatteryResult battery =
            read_battery(map, entry.path, entry.name, entry.display_name, entry.manufacturer,
                         entry.technology, snapshot);
        snapshot.readings.push_back(std::move(battery.reading));
        if (battery.rescan_wanted) {
            cache.rescan_requested.store(true);
        }
    }

    for (BatteryReading& reading : snapshot.readings) {
        reading.on_external_power = adapter_online || reading.charging;
    }
    return snapshot;
}
