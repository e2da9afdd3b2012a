// battery_reading.h: one battery's attributes turned into a reading in display units.
#pragma once
#include <filesystem>
#include <string>

#include <glib/gi18n-lib.h>

#include "acquisition/attribute_map.h"
#include "acquisition/battery_snapshot.h"
#include "acquisition/optional_number.h"

// Marked here, translated where it is set.
inline constexpr const char* kReadingsUnavailableMessage =
    N_("Some battery readings are unavailable. Retrying automatically.");

// The power or current with the sign of the charge direction: "Charging" positive,
// "Discharging" negative, any other status keeps the kernel's own sign. Non-finite is absent.
OptionalNumber signed_rate(OptionalNumber magnitude, const std::string& status);

struct BatteryResult {
    BatteryReading reading;
    bool rescan_wanted = false;  // the battery gave nothing usable; rediscover the supplies
};

// Reads one battery. The four identity strings come from the scan, already valid UTF-8.
// Sets the snapshot's error_message when the battery reports no status, voltage, energy,
// charge or capacity; the reading is returned all the same.
BatteryResult read_battery(AttributeMap& map, const std::filesystem::path& supply_dir,
                           const std::string& id, const std::string& name,
                           const std::string& manufacturer, const std::string& technology,
                           BatterySnapshot& snapshot);
