// SPDX-License-Identifier: GPL-3.0-or-later
// demo_scenarios.h: fixed sample data for --demo=, without touching the hardware.
#pragma once
#include <string>

#include "acquisition/battery_snapshot.h"

// Deterministic: the same scenario text gives the same snapshot on every pass.
BatterySnapshot build_demo_snapshot(const std::string& scenario);
