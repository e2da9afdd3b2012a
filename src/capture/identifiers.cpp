// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/identifiers.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string_view>

#include <glib.h>

namespace {

constexpr std::size_t kAddressLength = 17;  // "xx:xx:xx:xx:xx:xx"
constexpr std::string_view kHidPrefix = "hid-";
constexpr std::string_view kHidSuffix = "-battery";

bool is_address_at(std::string_view text, std::size_t at) {
    if (text.size() - at < kAddressLength) {
        return false;
    }
    for (std::size_t i = 0; i < kAddressLength; ++i) {
        const char c = text[at + i];
        if (i % 3 == 2 ? c != ':' : !g_ascii_isxdigit(c)) {
            return false;
        }
    }
    return true;
}

// The unique id inside a HID battery's name, or empty.
std::string_view hid_id(std::string_view name) {
    if (name.size() <= kHidPrefix.size() + kHidSuffix.size() || !name.starts_with(kHidPrefix) ||
        !name.ends_with(kHidSuffix)) {
        return {};
    }
    return name.substr(kHidPrefix.size(), name.size() - kHidPrefix.size() - kHidSuffix.size());
}

// Calls found(start, length) for each identifier in one name (no "/" in it): the HID id
// when the name is a HID battery's and its id is no address, else every address.
void each_identifier(std::string_view name,
                     const std::function<void(std::size_t, std::size_t)>& found) {
    const std::string_view id = hid_id(name);
    if (!id.empty() && !(id.size() == kAddressLength && is_address_at(id, 0))) {
        found(kHidPrefix.size(), id.size());
        return;
    }
    for (std::size_t at = 0; at < name.size(); ++at) {
        if (is_address_at(name, at)) {
            found(at, kAddressLength);
            at += kAddressLength - 1;
        }
    }
}

// Calls each_identifier for every "/"-separated name of a path or link text.
void each_identifier_in_path(std::string_view path,
                             const std::function<void(std::size_t, std::size_t)>& found) {
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        each_identifier(path.substr(start, end - start),
                        [&](std::size_t at, std::size_t length) { found(start + at, length); });
        start = end + 1;
    }
}

std::string lower(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = g_ascii_tolower(c);
    }
    return result;
}

// The stand-in for the n-th (from 1) address: 02:00:00:00:00:01 and on.
std::string address_stand_in(std::uint64_t n) {
    const std::uint64_t value = 0x020000000000ULL + n;
    std::string text;
    for (int octet = 5; octet >= 0; --octet) {
        g_autofree gchar* part =
            g_strdup_printf("%02x", static_cast<unsigned>((value >> (8 * octet)) & 0xff));
        text += part;
        if (octet > 0) {
            text += ':';
        }
    }
    return text;
}

// The stand-in for the n-th (from 1) id of its shape: the id's punctuation stays, its
// letters and digits count up in base 62 from the right ("0001", "ab-0002"). Ids of one
// shape number at most 62 to the count of their letters and digits, so the count fits.
std::string id_stand_in(std::string_view id, std::uint64_t n) {
    static constexpr std::string_view kDigits =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    std::string text(id);
    for (auto c = text.rbegin(); c != text.rend(); ++c) {
        if (g_ascii_isalnum(*c)) {
            *c = kDigits[n % kDigits.size()];
            n /= kDigits.size();
        }
    }
    return text;
}

// An id's shape: its length and where its punctuation is.
std::string shape_of(std::string_view id) {
    std::string shape(id);
    for (char& c : shape) {
        c = g_ascii_isalnum(c) ? '0' : c;
    }
    return shape;
}

// Original identifier (addresses in lower case) -> stand-in.
using StandIns = std::map<std::string, std::string>;

void collect(std::string_view path, std::map<std::string, int>& found) {
    each_identifier_in_path(path, [&](std::size_t at, std::size_t length) {
        const std::string_view id = path.substr(at, length);
        found.emplace(length == kAddressLength && is_address_at(id, 0) ? lower(id) : id, 0);
    });
}

StandIns number(const std::map<std::string, int>& found) {
    StandIns stand_ins;
    std::uint64_t addresses = 0;
    std::map<std::string, std::uint64_t> per_shape;
    for (const auto& [id, unused] : found) {  // a std::map: in byte order
        stand_ins[id] = id.size() == kAddressLength && is_address_at(id, 0)
                            ? address_stand_in(++addresses)
                            : id_stand_in(id, ++per_shape[shape_of(id)]);
    }
    return stand_ins;
}

std::string replaced(std::string_view path, const StandIns& stand_ins) {
    std::string result(path);
    each_identifier_in_path(path, [&](std::size_t at, std::size_t length) {
        const std::string_view id = path.substr(at, length);
        const auto it = stand_ins.find(length == kAddressLength && is_address_at(id, 0)
                                           ? lower(id)
                                           : std::string(id));
        if (it != stand_ins.end()) {
            result.replace(at, length, it->second);  // the same length
        }
    });
    return result;
}

// The key's case does not matter: the program matches keys ignoring case.
bool is_key(std::string_view line, std::string_view key) {
    return line.size() > key.size() && line[key.size()] == '=' &&
           g_ascii_strncasecmp(line.data(), key.data(), key.size()) == 0;
}

std::string serial_stand_in(std::size_t length) {
    const std::string_view placeholder = kSerialPlaceholder;
    return length >= placeholder.size() ? std::string(placeholder) : std::string(length, 'X');
}

// Calls edit(value) on each value of the key's lines of a uevent text, in place.
void each_value(std::string& text, std::string_view key,
                const std::function<void(std::string&)>& edit) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        if (is_key(std::string_view(text).substr(start, end - start), key)) {
            const std::size_t value = start + key.size() + 1;
            std::string edited = text.substr(value, end - value);
            edit(edited);
            text.replace(value, end - value, edited);
            end = value + edited.size();
        }
        start = end + 1;
    }
}

bool is_named(const std::string& path, std::string_view name) {
    return path == name || (path.ends_with(name) && path[path.size() - name.size() - 1] == '/');
}

} // namespace

void replace_identifiers(CapturedTree& tree) {
    std::map<std::string, int> found;
    for (const std::string& folder : tree.folders) {
        collect(folder, found);
    }
    for (CapturedFile& file : tree.files) {
        collect(file.path, found);
        if (is_named(file.path, "uevent")) {
            each_value(file.bytes, "POWER_SUPPLY_NAME",
                       [&](std::string& value) { collect(value, found); });
        }
    }
    for (const CapturedLink& link : tree.links) {
        collect(link.name, found);
        collect(link.text, found);
    }
    const StandIns stand_ins = number(found);
    tree.addresses = static_cast<int>(stand_ins.size());

    for (std::string& folder : tree.folders) {
        folder = replaced(folder, stand_ins);
    }
    for (CapturedFile& file : tree.files) {
        file.path = replaced(file.path, stand_ins);
        if (is_named(file.path, "uevent")) {
            each_value(file.bytes, "POWER_SUPPLY_NAME",
                       [&](std::string& value) { value = replaced(value, stand_ins); });
            each_value(file.bytes, "POWER_SUPPLY_SERIAL_NUMBER",
                       [](std::string& value) { value = serial_stand_in(value.size()); });
        } else if (is_named(file.path, "serial_number")) {
            const std::size_t line = std::min(file.bytes.find('\n'), file.bytes.size());
            file.bytes = serial_stand_in(line) + (line < file.bytes.size() ? "\n" : "");
        }
    }
    for (CapturedLink& link : tree.links) {
        link.name = replaced(link.name, stand_ins);
        link.text = replaced(link.text, stand_ins);
    }
}

