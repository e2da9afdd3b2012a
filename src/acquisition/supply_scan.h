// SPDX-License-Identifier: GPL-3.0-or-later
// supply_scan.h: discovery of the power supplies under the power-supply root.
#pragma once
#include <filesystem>
#include <vector>

#include <glib/gi18n-lib.h>

#include "acquisition/attribute_map.h"
#include "acquisition/battery_snapshot.h"
#include "acquisition/supply_cache.h"

// Marked here, translated where they are set.
inline constexpr const char* kRootUnreadableFormat =
    // TRANSLATORS: %s is the system's reason, such as "Permission denied".
    N_("The Linux battery interface could not be read: %s");
inline constexpr const char* kSupplyUnreadableMessage =
    N_("Some Linux power supply information could not be read. Retrying automatically.");

struct ScanResult {
    bool listed = false;               // the root could be listed
    bool rescan_wanted = false;        // a supply's type could not be read
    std::vector<SupplyEntry> supplies;  // kept batteries and adapters, byte-wise by name
};

// Lists root once and keeps the system batteries and adapters, reading each battery's
// identity strings (made valid UTF-8) now rather than on every pass. Problems go to the
// snapshot's error_message. Reads each supply's attributes through map. Throws
// std::filesystem::filesystem_error when the listing fails after it was opened.
ScanResult scan_supplies(const std::filesystem::path& root, AttributeMap& map,
                         BatterySnapshot& snapshot);
