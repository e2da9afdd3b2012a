// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/battery_snapshot.h"

#include <utility>

// The standard leaves a moved-from string or vector "valid but unspecified"; the reader
// and the window rely on an emptied slot, so say so explicitly.
BatterySnapshot::BatterySnapshot(BatterySnapshot&& other) noexcept
    : readings(std::exchange(other.readings, {})),
      error_message(std::exchange(other.error_message, {})) {}

BatterySnapshot& BatterySnapshot::operator=(BatterySnapshot&& other) noexcept {
    if (this != &other) {
        readings = std::exchange(other.readings, {});
        error_message = std::exchange(other.error_message, {});
    }
    return *this;
}

BatterySnapshot copy_of(const BatterySnapshot& snapshot) {
    BatterySnapshot copy;
    copy.readings = snapshot.readings;
    copy.error_message = snapshot.error_message;
    return copy;
}
