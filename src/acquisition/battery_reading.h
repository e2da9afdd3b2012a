// SPDX-License-Identifier: GPL-3.0-or-later
// battery_reading.h: one battery's attributes turned into a reading in display units.
#pragma once
#include <string>
#include <string_view>

#include <glib/gi18n-lib.h>

#include "acquisition/attribute_map.h"
#include "acquisition/battery_snapshot.h"
#include "acquisition/optional_number.h"

// Marked here, translated where it is set.
inline constexpr const char* kReadingsUnavailableMessage =
    N_("Some battery readings are unavailable. Retrying automatically.");

// The power or current with the sign of the charge direction: "Charging" positive,
// "Discharging" negative, any other status keeps the kernel's own sign. Non-finite is absent.
OptionalNumber signed_rate(OptionalNumber magnitude, std::string_view status);

// Reads one battery from its attributes into a new reading at the end of the snapshot's
// readings. The four identity strings come from the scan, already valid UTF-8. When the
// battery reports no status, voltage, energy, charge or capacity, the reading is kept all the
// same, the snapshot's error_message set, and true returned: rediscover the supplies.
bool read_battery(AttributeMap& map, const std::string& id, const std::string& name,
                  const std::string& manufacturer, const std::string& technology,
                  BatterySnapshot& snapshot);
