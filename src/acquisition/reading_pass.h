// SPDX-License-Identifier: GPL-3.0-or-later
// reading_pass.h: one reading pass, demo or live, that always yields a snapshot.
#pragma once
#include <functional>
#include <string>

#include "acquisition/battery_snapshot.h"
#include "acquisition/supply_cache.h"

// Runs the pass; a failure that escapes it becomes the snapshot's problem text (valid UTF-8,
// never empty), so that a caller always has something to show.
BatterySnapshot guarded_pass(const std::function<BatterySnapshot()>& pass);

// The demo scenario's snapshot in demo mode, else one live pass with the cache (which keeps
// its supply list and rescan rules from one call to the next), through guarded_pass.
BatterySnapshot read_snapshot(SupplyCache& cache, bool demo_mode, const std::string& scenario);
