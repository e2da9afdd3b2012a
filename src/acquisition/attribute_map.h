// attribute_map.h: the attributes of one power supply, read once per pass.
#pragma once
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "acquisition/optional_number.h"

// Lower-case attribute name -> trimmed text. Also caches single-file reads, empty results
// included, so each attribute is read from disk at most once per map. The transparent
// comparator lets a name be looked up without building a string.
using AttributeMap = std::map<std::string, std::string, std::less<>>;

// The kernel's lines are short; anything longer is garbage, not a value.
inline constexpr std::size_t kMaxLineBytes = 4096;

// Drops leading and trailing spaces, tabs, CRs and LFs.
std::string_view trim_value(std::string_view text);

// Parses the supply's uevent file (POWER_SUPPLY_KEY=value lines). A missing or unreadable
// file gives an empty map; that is no error.
AttributeMap read_attributes(const std::filesystem::path& supply_dir);

// The attribute's trimmed text: from the map, else from the first line of the file of that
// name in supply_dir (empty when missing, unreadable or over kMaxLineBytes). The reference
// points into the map and lives as long as the map.
const std::string& read_text(AttributeMap& map, const std::filesystem::path& supply_dir,
                             std::string_view name);

// A base-10 signed 64-bit whole number, with strtoll's rules, filling the whole text;
// anything else (hex, fractions, trailing letters, overflow) is absent.
OptionalNumber read_integer(AttributeMap& map, const std::filesystem::path& supply_dir,
                            std::string_view name);

// A non-negative whole number in micro-units divided into display units. Negative is
// absent; 0 is absent unless zero_allowed.
OptionalNumber read_scaled(AttributeMap& map, const std::filesystem::path& supply_dir,
                           std::string_view name, bool zero_allowed, double divisor);
