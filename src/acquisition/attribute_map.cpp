#include "acquisition/attribute_map.h"

#include <cerrno>
#include <cstdlib>

#include "acquisition/bounded_file.h"

namespace {

static_assert(sizeof(long long) == 8, "the kernel's figures are signed 64-bit");

constexpr std::string_view kBlank = " \t\r\n";
constexpr std::string_view kUeventPrefix = "POWER_SUPPLY_";

std::string lower_ascii(std::string_view key) {
    std::string lowered(key);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lowered;
}

std::string file_in(const std::filesystem::path& dir, std::string_view name) {
    std::string path = dir.native();
    path.reserve(path.size() + 1 + name.size());
    path += '/';
    path += name;
    return path;
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
    // try_emplace keeps the first occurrence of a key.
    map.try_emplace(lower_ascii(line.substr(0, equals)),
                    trim_value(line.substr(equals + 1)));
}

} // namespace

std::string_view trim_value(std::string_view text) {
    const std::size_t last = text.find_last_not_of(kBlank);
    if (last == std::string_view::npos) {
        return {};
    }
    text.remove_suffix(text.size() - last - 1);
    text.remove_prefix(text.find_first_not_of(kBlank));
    return text;
}

AttributeMap read_attributes(const std::filesystem::path& supply_dir) {
    AttributeMap map;
    const BoundedRead file = read_regular_file(file_in(supply_dir, "uevent"));
    std::string_view rest = file.bytes;
    if (file.truncated) {
        // The line cut by the read limit is incomplete: its value would be wrong.
        const std::size_t last_lf = rest.rfind('\n');
        rest = last_lf == std::string_view::npos ? std::string_view{} : rest.substr(0, last_lf);
    }
    while (!rest.empty()) {
        const std::size_t lf = rest.find('\n');
        if (lf == std::string_view::npos) {
            parse_uevent_line(rest, map);  // a last line without LF still counts
            break;
        }
        parse_uevent_line(rest.substr(0, lf), map);
        rest.remove_prefix(lf + 1);
    }
    return map;
}

const std::string& read_text(AttributeMap& map, const std::filesystem::path& supply_dir,
                             std::string_view name) {
    if (const auto found = map.find(name); found != map.end()) {
        return found->second;
    }
    // The first line and its LF fit in kMaxLineBytes + 1 bytes; reading more cannot help.
    const BoundedRead file = read_regular_file(file_in(supply_dir, name), kMaxLineBytes + 1);
    std::string_view line = file.bytes;
    line = line.substr(0, line.find('\n'));
    if (line.size() > kMaxLineBytes) {
        line = {};
    }
    return map.emplace(std::string(name), trim_value(line)).first->second;
}

OptionalNumber read_integer(AttributeMap& map, const std::filesystem::path& supply_dir,
                            std::string_view name) {
    const std::string& text = read_text(map, supply_dir, name);
    if (text.empty()) {
        return OptionalNumber::absent();
    }
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    // Comparing with the stored size also rejects text that holds a NUL byte.
    if (errno != 0 || end != text.c_str() + text.size()) {
        return OptionalNumber::absent();
    }
    return OptionalNumber::of(static_cast<double>(value));
}

OptionalNumber read_scaled(AttributeMap& map, const std::filesystem::path& supply_dir,
                           std::string_view name, bool zero_allowed, double divisor) {
    const OptionalNumber raw = read_integer(map, supply_dir, name);
    if (!raw.present || raw.value < 0 || (raw.value == 0 && !zero_allowed)) {
        return OptionalNumber::absent();
    }
    return OptionalNumber::of(raw.value / divisor);
}
