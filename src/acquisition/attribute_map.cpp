// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/attribute_map.h"

#include <bit>
#include <charconv>
#include <system_error>

#include "acquisition/bounded_file.h"

namespace {

static_assert(sizeof(long long) == 8, "the kernel's figures are signed 64-bit");
static_assert(static_cast<std::size_t>(Attribute::CycleCount) + 1 == kAttributeCount);

constexpr std::string_view kUeventPrefix = "POWER_SUPPLY_";

// In the order of Attribute.
// clang-format off
constexpr std::array<std::string_view, kAttributeCount> kNames = {
    "type", "scope", "model_name", "manufacturer", "technology",
    "online", "present", "status", "voltage_now",
    "energy_now", "energy_full", "energy_full_design",
    "charge_now", "charge_full", "charge_full_design",
    "power_now", "current_now", "capacity", "cycle_count"};
// clang-format on

constexpr std::size_t kLongestName = 18;

// The attributes by length of name, as bit sets: a uevent key is compared only with the
// names of its own length, which most keys have none or one of.
constexpr std::array<std::uint32_t, kLongestName + 1> kNamesByLength = [] {
    std::array<std::uint32_t, kLongestName + 1> sets{};
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        sets.at(kNames[i].size()) |= std::uint32_t{1} << i;
    }
    return sets;
}();

constexpr bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Every byte as itself, but ASCII capitals lowered: one load per byte of a key.
constexpr std::array<char, 256> kLowered = [] {
    std::array<char, 256> lowered{};
    for (std::size_t i = 0; i < lowered.size(); ++i) {
        lowered.at(i) = static_cast<char>(i >= 'A' && i <= 'Z' ? i - 'A' + 'a' : i);
    }
    return lowered;
}();

// key equals name (lower case, of the same length) when its ASCII capitals are lowered.
bool same_name(std::string_view key, std::string_view name) {
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (kLowered[static_cast<unsigned char>(key[i])] != name[i]) {
            return false;
        }
    }
    return true;
}

// The attribute's index, or kAttributeCount for a key the program does not read.
std::size_t find_attribute(std::string_view key) {
    if (key.size() > kLongestName) {
        return kAttributeCount;
    }
    for (std::uint32_t set = kNamesByLength[key.size()]; set != 0; set &= set - 1) {
        const auto i = static_cast<std::size_t>(std::countr_zero(set));
        if (same_name(key, kNames[i])) {
            return i;
        }
    }
    return kAttributeCount;
}

void parse_uevent_line(std::string_view line, AttributeMap& map) {
    if (line.size() > kMaxLineBytes || !line.starts_with(kUeventPrefix)) {
        return;
    }
    line.remove_prefix(kUeventPrefix.size());
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return;
    }
    const std::size_t i = find_attribute(line.substr(0, equals));
    if (i == kAttributeCount || map.known[i]) {
        return;  // not read, or not the first occurrence
    }
    map.texts[i] = trim_value(line.substr(equals + 1));
    map.known[i] = true;
}

// strtoll's rules: leading white space (as isspace in the C locale), an optional sign, then
// base-10 digits to the end of the text, in range.
OptionalNumber parse_integer(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() &&
           (text[start] == ' ' || (text[start] >= '\t' && text[start] <= '\r'))) {
        ++start;
    }
    text.remove_prefix(start);
    // from_chars takes a minus but no plus; "+-1" is no number for strtoll either.
    if (text.starts_with('+') && !text.substr(1).starts_with('-')) {
        text.remove_prefix(1);
    }
    long long value = 0;
    const char* end = text.data() + text.size();
    const std::from_chars_result parsed = std::from_chars(text.data(), end, value);
    if (parsed.ec != std::errc() || parsed.ptr != end) {
        return OptionalNumber::absent();
    }
    return OptionalNumber::of(static_cast<double>(value));
}

// Tries the attribute's single file; kept out of read_text, whose usual case is a look-up.
[[gnu::noinline]] std::string_view read_single_file(AttributeMap& map, std::size_t i) {
    map.path.resize(map.dir_length);
    map.path += kNames[i];
    // The first line and its LF fit in kMaxLineBytes + 1 bytes; reading more cannot help.
    const BoundedRead file =
        read_regular_file(map.path.c_str(), map.single_file, kMaxLineBytes + 1);
    std::string_view line(map.single_file.data(), file.size);
    line = line.substr(0, line.find('\n'));
    if (line.size() > kMaxLineBytes) {
        line = {};
    }
    map.file_texts[i] = trim_value(line);
    map.texts[i] = map.file_texts[i];
    map.known[i] = true;
    return map.texts[i];
}

} // namespace

std::string_view attribute_name(Attribute attribute) {
    return kNames[static_cast<std::size_t>(attribute)];
}

std::string_view trim_value(std::string_view text) {
    while (!text.empty() && is_blank(text.back())) {
        text.remove_suffix(1);
    }
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

void read_attributes(AttributeMap& map, std::string_view supply_dir) {
    map.known.fill(false);
    map.path.assign(supply_dir);
    map.path += '/';
    map.dir_length = map.path.size();
    map.path += "uevent";
    std::string_view rest =
        whole_lines(map.uevent, read_regular_file(map.path.c_str(), map.uevent));
    while (!rest.empty()) {
        const std::size_t lf = rest.find('\n');
        if (lf == std::string_view::npos) {
            parse_uevent_line(rest, map);  // a last line without LF still counts
            break;
        }
        parse_uevent_line(rest.substr(0, lf), map);
        rest.remove_prefix(lf + 1);
    }
}

std::string_view read_text(AttributeMap& map, Attribute attribute) {
    const auto i = static_cast<std::size_t>(attribute);
    return map.known[i] ? map.texts[i] : read_single_file(map, i);
}

OptionalNumber read_integer(AttributeMap& map, Attribute attribute) {
    return parse_integer(read_text(map, attribute));
}

OptionalNumber read_scaled(AttributeMap& map, Attribute attribute, bool zero_allowed,
                           double divisor) {
    const OptionalNumber raw = read_integer(map, attribute);
    if (!raw.present || raw.value < 0 || (raw.value == 0 && !zero_allowed)) {
        return OptionalNumber::absent();
    }
    return OptionalNumber::of(raw.value / divisor);
}
