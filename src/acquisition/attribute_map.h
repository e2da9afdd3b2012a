// SPDX-License-Identifier: GPL-3.0-or-later
// attribute_map.h: the attributes of one power supply, read once per pass.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "acquisition/optional_number.h"

// The attributes the program reads, each named as the kernel names its file.
enum class Attribute : std::uint8_t {
    // What a scan reads: the kind of supply and a battery's identity.
    Type,
    Scope,
    ModelName,
    Manufacturer,
    Technology,
    // What a pass reads.
    Online,
    Present,
    BatteryStatus,  // "status"; not Status, which Xlib defines as a macro
    VoltageNow,
    EnergyNow,
    EnergyFull,
    EnergyFullDesign,
    ChargeNow,
    ChargeFull,
    ChargeFullDesign,
    PowerNow,
    CurrentNow,
    Capacity,
    CycleCount,
};
inline constexpr std::size_t kAttributeCount = 19;

// The file name, lower case: "voltage_now".
std::string_view attribute_name(Attribute attribute);

// The kernel's lines are short; anything longer is garbage, not a value.
inline constexpr std::size_t kMaxLineBytes = 4096;

// The attributes of one supply at a time: each one's trimmed text, from the supply's uevent
// (POWER_SUPPLY_KEY=value lines, the key matched ignoring ASCII case, the first line of a key
// winning), else from the single file of that name, which is read at most once per supply,
// empty results included. Texts point into the buffers here and stay valid until the next
// read_attributes. Owned by one thread, which reuses it from supply to supply and pass to
// pass: the buffers keep their capacity, so a steady pass allocates nothing here.
struct AttributeMap {
    std::string path;            // the supply's directory and '/', then the last file's name
    std::size_t dir_length = 0;  // of the directory and '/' in path
    std::string uevent;          // holds the uevent file's bytes at its start
    std::string single_file;     // holds the last single file's bytes at its start
    std::array<std::string, kAttributeCount> file_texts;  // texts taken from single files
    std::array<std::string_view, kAttributeCount> texts;  // meaningful where known
    std::array<bool, kAttributeCount> known{};            // from uevent, or its file was tried
};

// Drops leading and trailing spaces, tabs, CRs and LFs.
std::string_view trim_value(std::string_view text);

// Moves the map to the supply in supply_dir and parses its uevent file. A missing or
// unreadable file gives no texts; that is no error.
void read_attributes(AttributeMap& map, std::string_view supply_dir);

// The attribute's trimmed text: from uevent, else from the first line of its file (empty when
// missing, unreadable or over kMaxLineBytes).
std::string_view read_text(AttributeMap& map, Attribute attribute);

// A base-10 signed 64-bit whole number, with strtoll's rules, filling the whole text;
// anything else (hex, fractions, trailing letters, overflow) is absent.
OptionalNumber read_integer(AttributeMap& map, Attribute attribute);

// A non-negative whole number in micro-units divided into display units. Negative is
// absent; 0 is absent unless zero_allowed.
OptionalNumber read_scaled(AttributeMap& map, Attribute attribute, bool zero_allowed,
                           double divisor);
