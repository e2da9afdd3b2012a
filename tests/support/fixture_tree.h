// SPDX-License-Identifier: GPL-3.0-or-later
// fixture_tree.h: power-supply trees in a fresh temporary directory, laid out the way the
// kernel lays them out.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "acquisition/battery_snapshot.h"
#include "acquisition/supply_cache.h"

// Attribute name (lower case, as in the file names) and value, in the order given.
using FixtureAttributes = std::vector<std::pair<std::string, std::string>>;

// A fresh directory, removed with everything in it when the object goes out of scope.
struct FixtureTree {
    FixtureTree();
    ~FixtureTree();
    FixtureTree(const FixtureTree&) = delete;
    FixtureTree& operator=(const FixtureTree&) = delete;

    // Lays a supply out as the kernel does: a device directory base/devices/NAME holding
    // `uevent` with one POWER_SUPPLY_<NAME IN CAPITALS>=value line per `uevent` attribute,
    // and one file (value plus LF) per `files` attribute; root/NAME is a relative symbolic
    // link to it. Returns the device directory.
    std::filesystem::path add_supply(const std::string& name, const FixtureAttributes& uevent,
                                     const FixtureAttributes& files = {}) const;
    // Removes the link and the device directory.
    void remove_supply(const std::string& name) const;

    std::filesystem::path base;  // the temporary directory
    std::filesystem::path root;  // base/power_supply: point a SupplyCache here
};

// Creates or replaces a file holding exactly these bytes; throws on failure.
void write_fixture_file(const std::filesystem::path& path, std::string_view bytes);

// The ids of the readings, each followed by a space: "BAT0 BAT1 ".
std::string reading_ids(const BatterySnapshot& snapshot);

// A supply cache pointed at a tree's root.
struct TreeCache : SupplyCache {
    explicit TreeCache(const std::filesystem::path& tree_root) { root = tree_root; }
};
