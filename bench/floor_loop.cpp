// SPDX-License-Identifier: GPL-3.0-or-later
#include "floor_loop.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The pass's own limits: a uevent of at most 64 KiB, lines of at most 4096 bytes.
constexpr std::size_t kMaxFileBytes = 64 * 1024;
constexpr std::size_t kMaxLineBytes = 4096;
constexpr std::size_t kPrefixLength = 13; // "POWER_SUPPLY_"

// Static rather than on the stack or the heap: the floor allocates nothing. One spare byte
// each for the NUL written after the last value.
char file_bytes[kMaxFileBytes + 1];
char single_bytes[kMaxLineBytes + 2];
char path[1024];

struct Name {
    const char* text;
    std::size_t length;
};
template <std::size_t N> constexpr Name name_of(const char (&text)[N]) { return {text, N - 1}; }

// The names a cached pass asks for, and those a scan asks for.
enum {
    kOnline,
    kPresent,
    kStatus,
    kVoltageNow,
    kEnergyNow,
    kEnergyFull,
    kEnergyFullDesign,
    kChargeNow,
    kChargeFull,
    kChargeFullDesign,
    kPowerNow,
    kCurrentNow,
    kCapacity,
    kCycleCount,
    kReadNames
};
constexpr Name kReadName[kReadNames] = {name_of("online"),
                                        name_of("present"),
                                        name_of("status"),
                                        name_of("voltage_now"),
                                        name_of("energy_now"),
                                        name_of("energy_full"),
                                        name_of("energy_full_design"),
                                        name_of("charge_now"),
                                        name_of("charge_full"),
                                        name_of("charge_full_design"),
                                        name_of("power_now"),
                                        name_of("current_now"),
                                        name_of("capacity"),
                                        name_of("cycle_count")};
enum { kType, kScope, kModelName, kManufacturer, kTechnology, kScanNames };
constexpr Name kScanName[kScanNames] = {name_of("type"), name_of("scope"), name_of("model_name"),
                                        name_of("manufacturer"), name_of("technology")};

// A value: NUL-terminated, trimmed, and its length (a NUL inside it is no number).
struct Text {
    const char* bytes;
    std::size_t length;
};

// What one uevent held of the names looked up; a slot stays empty until found.
struct Found {
    Text value[kReadNames];
    bool known[kReadNames];
};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Trims [begin, end) in place and ends it with a NUL.
Text trimmed(char* begin, char* end) {
    while (begin < end && is_blank(*begin)) {
        ++begin;
    }
    while (end > begin && is_blank(end[-1])) {
        --end;
    }
    *end = '\0';
    return {begin, static_cast<std::size_t>(end - begin)};
}

// Compares a uevent key with a name, ignoring ASCII case.
bool same_name(const char* key, std::size_t length, const Name& name) {
    if (length != name.length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        char c = key[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != name.text[i]) {
            return false;
        }
    }
    return true;
}

// Reads at most limit bytes of a regular file without blocking; -1 when there is none.
long read_bounded(const char* file, char* bytes, std::size_t limit, bool* truncated) {
    const int fd = open(file, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    std::size_t filled = 0;
    while (filled < limit) {
        const ssize_t got = read(fd, bytes + filled, limit - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    *truncated = false;
    if (filled == limit) {
        char probe;
        ssize_t more;
        do {
            more = read(fd, &probe, 1);
        } while (more < 0 && errno == EINTR);
        *truncated = more > 0;
    }
    close(fd);
    return static_cast<long>(filled);
}

// Reads dir/uevent (path holds "dir/") and notes the first value of each name looked up.
void read_uevent(char* file_name, const Name* names, int count, Found* found) {
    std::memset(found, 0, sizeof *found);
    std::strcpy(file_name, "uevent");
    bool truncated = false;
    const long got = read_bounded(path, file_bytes, kMaxFileBytes, &truncated);
    if (got <= 0) {
        return;
    }
    char* end = file_bytes + got;
    if (truncated) { // the cut last line is dropped
        char* last = static_cast<char*>(memrchr(file_bytes, '\n', static_cast<std::size_t>(got)));
        end = last != nullptr ? last : file_bytes;
    }
    for (char* line = file_bytes; line < end;) {
        char* lf =
            static_cast<char*>(std::memchr(line, '\n', static_cast<std::size_t>(end - line)));
        char* line_end = lf != nullptr ? lf : end;
        const auto length = static_cast<std::size_t>(line_end - line);
        if (length <= kMaxLineBytes && length >= kPrefixLength &&
            std::memcmp(line, "POWER_SUPPLY_", kPrefixLength) == 0) {
            char* key = line + kPrefixLength;
            char* equals =
                static_cast<char*>(std::memchr(key, '=', static_cast<std::size_t>(line_end - key)));
            if (equals != nullptr) {
                const auto key_length = static_cast<std::size_t>(equals - key);
                for (int i = 0; i < count; ++i) {
                    if (same_name(key, key_length, names[i])) {
                        if (!found->known[i]) {
                            found->value[i] = trimmed(equals + 1, line_end);
                            found->known[i] = true;
                        }
                        break;
                    }
                }
            }
        }
        line = line_end + 1;
    }
}

// The value from uevent, else the first line of the single file (valid until the next
// look-up), else empty.
Text look_up(const Found* found, int slot, const char* name, char* file_name) {
    if (found->known[slot]) {
        return found->value[slot];
    }
    std::strcpy(file_name, name);
    bool truncated = false;
    const long got = read_bounded(path, single_bytes, kMaxLineBytes + 1, &truncated);
    if (got < 0) {
        return {"", 0};
    }
    char* lf = static_cast<char*>(std::memchr(single_bytes, '\n', static_cast<std::size_t>(got)));
    char* end = lf != nullptr ? lf : single_bytes + got;
    if (static_cast<std::size_t>(end - single_bytes) > kMaxLineBytes) {
        return {"", 0};
    }
    return trimmed(single_bytes, end);
}

// strtoll's rules (leading white space, a sign, base-10 digits filling the text, no
// overflow) at the cost of a digit loop.
FloorFigure integer(Text text) {
    const char* begin = text.bytes;
    const char* end = text.bytes + text.length;
    while (begin < end && (*begin == ' ' || (*begin >= '\t' && *begin <= '\r'))) {
        ++begin;
    }
    if (begin < end && *begin == '+' && (end - begin < 2 || begin[1] != '-')) {
        ++begin;
    }
    long long value = 0;
    const std::from_chars_result parsed = std::from_chars(begin, end, value);
    if (parsed.ec != std::errc() || parsed.ptr != end) {
        return {0, false};
    }
    return {static_cast<double>(value), true};
}

FloorFigure scaled(Text text, bool zero_allowed, double divisor) {
    const FloorFigure raw = integer(text);
    if (!raw.present || raw.value < 0 || (raw.value == 0 && !zero_allowed)) {
        return {0, false};
    }
    return {raw.value / divisor, true};
}

FloorFigure signed_rate(FloorFigure raw, double divisor, const FloorReading* r) {
    if (!raw.present || !std::isfinite(raw.value / divisor)) {
        return {0, false};
    }
    const double value = raw.value / divisor;
    if (r->charging) {
        return {std::fabs(value), true};
    }
    return {r->discharging ? -std::fabs(value) : value, true};
}

// Copies a value into a fixed field, cut to fit.
void copy_text(char* field, std::size_t size, Text text) {
    const std::size_t length = text.length < size ? text.length : size - 1;
    std::memcpy(field, text.bytes, length);
    field[length] = '\0';
}

bool is_adapter_type(const char* type) {
    static const char* const kAdapterTypes[] = {"Mains",   "USB",     "USB_DCP", "USB_CDP",
                                                "USB_ACA", "USB_C",   "USB_PD",  "USB_PD_DRP",
                                                "BrickID", "Wireless"};
    for (const char* adapter : kAdapterTypes) {
        if (std::strcmp(type, adapter) == 0) {
            return true;
        }
    }
    return false;
}

int by_name(const void* a, const void* b) {
    return std::strcmp((*static_cast<const FloorSupply* const*>(a))->name,
                       (*static_cast<const FloorSupply* const*>(b))->name);
}

bool is_directory(const char* file) {
    struct stat st;
    return stat(file, &st) == 0 && S_ISDIR(st.st_mode);
}

// Puts "dir/" into path; returns where a file name goes.
char* start_path(const FloorSupply* supply) {
    std::memcpy(path, supply->dir, supply->dir_length);
    path[supply->dir_length] = '/';
    return path + supply->dir_length + 1;
}

void read_battery(const Found* found, char* file_name, FloorReading* r) {
    const Text status = look_up(found, kStatus, "status", file_name);
    r->charging = std::strcmp(status.bytes, "Charging") == 0;
    r->discharging = std::strcmp(status.bytes, "Discharging") == 0;
    r->voltage_v = scaled(look_up(found, kVoltageNow, "voltage_now", file_name), false, 1e6);
    r->energy_now_wh = scaled(look_up(found, kEnergyNow, "energy_now", file_name), true, 1e6);
    r->energy_full_wh = scaled(look_up(found, kEnergyFull, "energy_full", file_name), false, 1e6);
    r->energy_full_design_wh =
        scaled(look_up(found, kEnergyFullDesign, "energy_full_design", file_name), false, 1e6);
    r->charge_now_mah = scaled(look_up(found, kChargeNow, "charge_now", file_name), true, 1e3);
    r->charge_full_mah = scaled(look_up(found, kChargeFull, "charge_full", file_name), false, 1e3);
    r->charge_full_design_mah =
        scaled(look_up(found, kChargeFullDesign, "charge_full_design", file_name), false, 1e3);
    r->power_w = signed_rate(integer(look_up(found, kPowerNow, "power_now", file_name)), 1e6, r);
    r->current_ma =
        signed_rate(integer(look_up(found, kCurrentNow, "current_now", file_name)), 1e3, r);
    r->capacity_percent = integer(look_up(found, kCapacity, "capacity", file_name));
    if (r->capacity_percent.value < 0 || r->capacity_percent.value > 100) {
        r->capacity_percent.present = false;
    }
    const FloorFigure cycles = integer(look_up(found, kCycleCount, "cycle_count", file_name));
    r->has_cycle_count = cycles.present && cycles.value > 0 && cycles.value < 4294967295.0;
    r->cycle_count = r->has_cycle_count ? static_cast<unsigned>(cycles.value) : 0;
    r->unreadable = status.length == 0 && !r->voltage_v.present && !r->energy_now_wh.present &&
                    !r->charge_now_mah.present && !r->capacity_percent.present;
}

} // namespace

bool floor_scan(const char* root, FloorList* list) {
    DIR* listing = opendir(root);
    if (listing == nullptr) {
        return false;
    }
    list->count = 0;
    const std::size_t root_length = std::strlen(root);
    Found found;
    while (const dirent* entry = readdir(listing)) {
        const char* name = entry->d_name;
        const std::size_t name_length = std::strlen(name);
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 ||
            list->count == kFloorMaxSupplies ||
            root_length + 1 + name_length >= sizeof(FloorSupply::dir)) {
            continue;
        }
        FloorSupply* supply = &list->supplies[list->count];
        std::memcpy(supply->dir, root, root_length);
        supply->dir[root_length] = '/';
        std::memcpy(supply->dir + root_length + 1, name, name_length + 1);
        supply->dir_length = root_length + 1 + name_length;
        // A listing tells a directory apart; a link or an unknown type needs its status.
        if (entry->d_type != DT_DIR && ((entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) ||
                                        !is_directory(supply->dir))) {
            continue;
        }
        char* file_name = start_path(supply);
        read_uevent(file_name, kScanName, kScanNames, &found);
        const Text type = look_up(&found, kType, "type", file_name);
        const bool battery = std::strcmp(type.bytes, "Battery") == 0;
        if (type.length == 0 || (!battery && !is_adapter_type(type.bytes))) {
            continue;
        }
        if (std::strcmp(look_up(&found, kScope, "scope", file_name).bytes, "Device") == 0) {
            continue;
        }
        supply->is_battery = battery;
        copy_text(supply->name, sizeof supply->name, {name, name_length});
        if (battery) {
            const Text model = look_up(&found, kModelName, "model_name", file_name);
            copy_text(supply->model_name, sizeof supply->model_name,
                      model.length > 0 ? model : Text{name, name_length});
            copy_text(supply->manufacturer, sizeof supply->manufacturer,
                      look_up(&found, kManufacturer, "manufacturer", file_name));
            const Text technology = look_up(&found, kTechnology, "technology", file_name);
            copy_text(supply->technology, sizeof supply->technology,
                      std::strcmp(technology.bytes, "Unknown") == 0 ? Text{"", 0} : technology);
        }
        list->by_name[list->count] = supply;
        ++list->count;
    }
    closedir(listing);
    std::qsort(list->by_name, list->count, sizeof list->by_name[0], by_name);
    return true;
}

std::size_t floor_pass(const FloorList* list, FloorReading* readings) {
    bool adapter_online = false;
    std::size_t count = 0;
    Found found;
    for (std::size_t i = 0; i < list->count; ++i) {
        const FloorSupply* supply = list->by_name[i];
        if (!is_directory(supply->dir)) {
            continue;
        }
        char* file_name = start_path(supply);
        read_uevent(file_name, kReadName, kReadNames, &found);
        if (!supply->is_battery) {
            if (!adapter_online) {
                const FloorFigure online = integer(look_up(&found, kOnline, "online", file_name));
                adapter_online = online.present && (online.value == 1 || online.value == 2);
            }
            continue;
        }
        const FloorFigure present = integer(look_up(&found, kPresent, "present", file_name));
        if (present.present && present.value == 0) {
            continue;
        }
        FloorReading* reading = &readings[count++];
        reading->supply = supply;
        read_battery(&found, file_name, reading);
    }
    for (std::size_t i = 0; i < count; ++i) {
        readings[i].on_external_power = adapter_online || readings[i].charging;
    }
    return count;
}
