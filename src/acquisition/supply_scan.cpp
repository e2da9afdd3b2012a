// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/supply_scan.h"

#include <algorithm>
#include <set>
#include <vector>
#include <string>
#include <system_error>
#include <utility>

#include <glib.h>

#include "acquisition/attribute_map.h"
#include "acquisition/supply_class.h"
#include "acquisition/utf8_text.h"

namespace {

// Follows symbolic links: a supply is usually a link to its device's directory.
// Sets error when the type was not in the listing and asking for it failed (a dangling link,
// a link loop, a permission problem).
bool lists_a_directory(const std::filesystem::directory_entry& entry, std::error_code& error) {
    return entry.is_directory(error);
}

SupplyEntry make_entry(const std::filesystem::path& path, SupplyClass supply_class,
                       AttributeMap& map) {
    SupplyEntry entry;
    entry.path = path;
    entry.name = make_valid_utf8(path.filename().native());
    entry.is_battery = supply_class == SupplyClass::Battery;
    if (!entry.is_battery) {
        return entry;
    }
    entry.display_name = make_valid_utf8(read_text(map, Attribute::ModelName));
    if (entry.display_name.empty()) {
        entry.display_name = entry.name;
    }
    entry.manufacturer = make_valid_utf8(read_text(map, Attribute::Manufacturer));
    const std::string_view technology = read_text(map, Attribute::Technology);
    if (technology != "Unknown") {
        entry.technology = make_valid_utf8(technology);
    }
    return entry;
}

// QUIRK: two directory names that differ only in invalid bytes clean up to the same text,
// and the window tells batteries apart by it; every later member of a run of equal names
// gets "#2", "#3"..., skipping any suffixed name that another directory already has.
// supplies is sorted by name, so the members of a run are neighbours.
void make_names_unique(std::vector<SupplyEntry>& supplies) {
    std::set<std::string, std::less<>> taken;
    for (const SupplyEntry& entry : supplies) {
        taken.insert(entry.name);
    }
    std::size_t run_start = 0;
    int next_suffix = 2;
    for (std::size_t i = 1; i < supplies.size(); ++i) {
        // The run's first member keeps its name, so it is the one to compare with.
        if (supplies[i].name != supplies[run_start].name) {
            run_start = i;
            next_suffix = 2;
            continue;
        }
        std::string unique;
        do {
            unique = supplies[run_start].name + "#" + std::to_string(next_suffix++);
        } while (taken.contains(unique));
        taken.insert(unique);
        if (supplies[i].display_name == supplies[i].name) {
            supplies[i].display_name = unique;
        }
        supplies[i].name = unique;
    }
}

} // namespace

ScanResult scan_supplies(const std::filesystem::path& root, AttributeMap& map,
                         BatterySnapshot& snapshot) {
    ScanResult result;
    std::error_code error;
    std::filesystem::directory_iterator listing(root, error);
    if (error) {
        // g_strerror is strerror's text in the user's language and in UTF-8, and safe on the
        // reader thread.
        g_autofree gchar* message =
            g_strdup_printf(_(kRootUnreadableFormat), g_strerror(error.value()));
        snapshot.error_message = make_valid_utf8(message);
        return result;
    }
    result.listed = true;

    // Advancing with ++ throws on failure: a listing that breaks halfway must not pass for
    // a complete one.
    for (; listing != std::filesystem::directory_iterator(); ++listing) {
        const std::filesystem::directory_entry& dir_entry = *listing;
        std::error_code status_error;
        if (!lists_a_directory(dir_entry, status_error)) {
            if (status_error) {
                snapshot.error_message = _(kSupplyUnreadableMessage);
            }
            continue;
        }
        const std::filesystem::path& path = dir_entry.path();
        read_attributes(map, path.native());
        const std::string_view type = read_text(map, Attribute::Type);
        if (type.empty()) {
            snapshot.error_message = _(kSupplyUnreadableMessage);
            result.rescan_wanted = true;
            continue;
        }
        const SupplyClass supply_class = classify_supply_type(type);
        if (supply_class == SupplyClass::Ignored) {
            continue;
        }
        // A peripheral's own battery or supply (a wireless mouse) is not the system's.
        if (read_text(map, Attribute::Scope) == "Device") {
            continue;
        }
        result.supplies.push_back(make_entry(path, supply_class, map));
    }

    // Twins are ordered by their raw names, so each keeps its suffix from scan to scan.
    std::sort(result.supplies.begin(), result.supplies.end(),
              [](const SupplyEntry& a, const SupplyEntry& b) {
                  return a.name != b.name ? a.name < b.name
                                          : a.path.filename().native() < b.path.filename().native();
              });
    make_names_unique(result.supplies);
    return result;
}
