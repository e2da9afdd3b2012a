// SPDX-License-Identifier: GPL-3.0-or-later
// capture_fuzz.cpp: a hostile power-supply tree is built from the fuzzer's bytes (kernel
// layouts, plain folders, relative links that climb and chain, absolute links, loops, FIFOs,
// linked and long attribute files, serial numbers, device addresses and HID ids in names)
// beside canary folders, and captured in-process with TMPDIR and the output folder beside
// it. Then: the canaries are untouched and absent from the archive, the archive unpacks
// into one folder named like it, nothing is left in TMPDIR, no serial number, address or HID
// id survives where the capture replaces them, and, when the capture left nothing out and
// replaced no id, the copy renders as the tree does.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include <glib.h>

#include "acquisition/attribute_map.h"
#include "acquisition/bounded_file.h"
#include "acquisition/supply_cache.h"
#include "capture/capture_run.h"
#include "capture/captured_tree.h"
#include "fuzz_directory.h"
#include "presentation/reading_view.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr const char* kSecret = "canary-secret";
constexpr int kMaxClimbs = 16;  // ".." in all link texts of one input, at most

// Everything lies this deep in the fuzzing directory, so that no chain of the input's
// relative links (at most kMaxClimbs "..") climbs out of it, even if a capture followed one.
const fs::path& floor_folder() {
    static const fs::path floor = [] {
        fs::path path = fuzz_directory();
        for (int i = 0; i <= kMaxClimbs; ++i) {
            path /= "d";
        }
        return path;
    }();
    return floor;
}

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;

    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    std::string field(std::size_t most = 255) {
        const std::size_t length = std::min({std::size_t{byte()}, most, size - at});
        std::string text(reinterpret_cast<const char*>(data + at), length);
        at += length;
        for (std::size_t s; (s = text.find("secret")) != std::string::npos;) {
            text[s] = 'S';  // only the canaries hold the secret
        }
        return text;
    }
};

void fail(const std::string& why) {
    std::fprintf(stderr, "capture_fuzz: %s\n", why.c_str());
    std::abort();
}

void check(bool condition, const std::string& why) {
    if (!condition) {
        fail(why);
    }
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), g_ascii_tolower);
    return text;
}

// What the input put where the capture must replace it.
struct Identifiers {
    std::vector<std::string> addresses;  // lower case; the first octet at least 0x80, so
                                         // never a part of a stand-in (02:00:...)
    std::vector<std::string> hid_names;  // "hid-<id>-battery", the id starting with G-Z
};

std::string address(Input& in, Identifiers& ids) {
    std::string text;
    for (int octet = 0; octet < 6; ++octet) {
        char part[4];
        std::snprintf(part, sizeof part, "%02x", in.byte() | (octet == 0 ? 0x80 : 0));
        text += (octet > 0 ? ":" : "") + std::string(part);
    }
    ids.addresses.push_back(text);
    if (in.byte() % 2) {
        std::transform(text.begin(), text.end(), text.begin(), g_ascii_toupper);
    }
    return text;
}

std::string hid_name(Input& in, Identifiers& ids) {
    static constexpr std::string_view kChars = "0123456789ABCDEFabcdef:._";
    std::string id(1, static_cast<char>('G' + in.byte() % 20));
    for (int n = 1 + in.byte() % 11; n > 0; --n) {
        id += kChars[in.byte() % kChars.size()];
    }
    ids.hid_names.push_back("hid-" + id + "-battery");
    return ids.hid_names.back();
}

// A name for a folder or link: plain, kernel-like, or carrying an identifier.
std::string entry_name(Input& in, Identifiers& ids, int i) {
    switch (in.byte() % 7) {
    case 0: return "BAT" + std::to_string(i);
    case 1: return "AC";
    case 2: return "hid-" + address(in, ids) + "-battery";
    case 3: return hid_name(in, ids);
    case 4: return "ps-controller-battery-" + address(in, ids);
    case 5: return address(in, ids);
    default: {
        std::string name = in.field(40);
        std::replace(name.begin(), name.end(), '/', '_');
        std::replace(name.begin(), name.end(), '\0', '_');
        return name.empty() || name == "." || name == ".." ? "S" + std::to_string(i) : name;
    }
    }
}

std::string serial(Input& in) {
    std::string text = "SN";
    for (int n = in.byte() % 12; n > 0; --n) {
        text += static_cast<char>('A' + in.byte() % 26);
    }
    return text;
}

// uevent text: kernel lines with fuzzed values, a serial number in either case of key, and
// now and then a first line long enough to put the file near or past the read bound.
std::string uevent_text(Input& in, const std::string& name) {
    std::string text;
    switch (in.byte() % 4) {
    case 0: text = std::string(65536 - 64 + in.byte() % 96, 'x') + "\n"; break;
    case 1: text = std::string(70000, 'x') + "\n"; break;
    default: break;
    }
    static const char* const kKeys[] = {"TYPE", "STATUS", "ENERGY_NOW", "ENERGY_FULL",
                                        "POWER_NOW", "CAPACITY", "MODEL_NAME", "VOLTAGE_NOW"};
    for (int n = in.byte() % 8; n > 0; --n) {
        const std::uint8_t kind = in.byte() % 12;
        if (kind < 8) {
            text += std::string("POWER_SUPPLY_") + kKeys[kind] + "=" + in.field(24) + "\n";
        } else if (kind == 8) {
            text += "POWER_SUPPLY_NAME=" + name + "\n";
        } else if (kind == 9) {
            text += (in.byte() % 2 ? "POWER_SUPPLY_SERIAL_NUMBER=" : "power_supply_serial_number=") +
                    serial(in) + "\n";
        } else if (kind == 10) {
            text += "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_ENERGY_NOW=" +
                    std::to_string(in.byte() * 100000) + "\nPOWER_SUPPLY_ENERGY_FULL=50000000\n";
        } else {
            text += in.field();
        }
    }
    return text;
}

// The canaries: supply-like folders outside the tree that only absolute links and climbing
// relative links reach. Neither their bytes nor their times may change, and no byte of
// them may reach the archive.
void make_canaries() {
    for (int k = 0; k < 2; ++k) {
        const fs::path canary = floor_folder() / ("canary" + std::to_string(k));
        fs::create_directories(canary / "inner");
        const std::string uevent = "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_MODEL_NAME=" +
                                   std::string(kSecret) + "\nPOWER_SUPPLY_ENERGY_NOW=1000\n";
        write_file(canary / "uevent", uevent);
        write_file(canary / "inner/uevent", uevent);
        write_file(canary / "energy_now", std::string(kSecret) + "\n");
    }
}

// Every canary folder and entry with its bytes and its modification and change times.
std::map<std::string, std::string> canary_state() {
    std::map<std::string, std::string> state;
    const auto record = [&state](const fs::path& path) {
        struct stat st {};
        lstat(path.c_str(), &st);
        std::ostringstream line;
        line << st.st_mode << " " << st.st_mtim.tv_sec << "." << st.st_mtim.tv_nsec << " "
             << st.st_ctim.tv_sec << "." << st.st_ctim.tv_nsec << " ";
        state[path] = line.str() + (S_ISREG(st.st_mode) ? read_file(path) : "");
    };
    for (const char* name : {"canary0", "canary1"}) {
        record(floor_folder() / name);
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(floor_folder() / name)) {
            record(entry.path());
        }
    }
    return state;
}

// A relative link text of names the tree holds, "..", and the canaries' names; climbs
// counts the ".." so that all texts of an input together stay below kMaxClimbs.
std::string relative_text(Input& in, const std::vector<std::string>& names, int& climbs) {
    static const char* const kTokens[] = {"..", ".", "devices", "power_supply", "class", "sys",
                                          "t", "shared", "canary0", "inner", "uevent"};
    std::string text;
    for (int n = 1 + in.byte() % 6; n > 0; --n) {
        const std::uint8_t pick = in.byte();
        std::string token = pick % 2 && !names.empty() ? names[pick / 2 % names.size()]
                                                       : kTokens[pick / 2 % std::size(kTokens)];
        if (token == "..") {
            if (climbs >= kMaxClimbs) {
                continue;
            }
            ++climbs;
        }
        text += (text.empty() ? "" : "/") + token;
    }
    return text.empty() ? "." : text;
}

std::string absolute_text(Input& in) {
    static const char* const kInside[] = {"", "/inner", "/uevent", "/inner/uevent"};
    return (floor_folder() / ("canary" + std::to_string(in.byte() % 2))).string() +
           kInside[in.byte() % std::size(kInside)];
}

struct Builder {
    Input& in;
    Identifiers ids;
    fs::path tree;                    // the folder the class folder's links are relative to
    fs::path root;                    // the class folder
    std::string class_to_tree;        // the class folder's way up to the tree: "../.." or ".."
    std::vector<std::string> names;   // the class folder's names so far
    int climbs = 0;

    void link(const std::string& text, const fs::path& at) {
        std::error_code ec;
        fs::create_symlink(text, at, ec);
    }

    // A supply folder's files: uevent (text, FIFO, linked inside or outside the tree) and
    // some single attribute files, a serial number among them.
    void fill(const fs::path& folder, const std::string& name) {
        std::error_code ec;
        const std::uint8_t uevent = in.byte() % 8;
        if (uevent == 0) {
            mkfifo((folder / "uevent").c_str(), 0600);
        } else if (uevent == 1) {  // shared by several supplies, as the program follows it
            fs::create_directories(tree / "shared", ec);
            const std::string shared = "uevent" + std::to_string(in.byte() % 3);
            if (!fs::exists(tree / "shared" / shared)) {
                write_file(tree / "shared" / shared, uevent_text(in, name));
            }
            const fs::path up = fs::path(folder).lexically_relative(tree);
            std::string text;
            for (auto part = up.begin(); part != up.end(); ++part) {
                text += "../";
            }
            link(text + "shared/" + shared, folder / "uevent");
        } else if (uevent == 2) {
            link(absolute_text(in), folder / "uevent");
        } else if (uevent == 3) {
            link(relative_text(in, names, climbs), folder / "uevent");
        } else {
            write_file(folder / "uevent", uevent_text(in, name));
        }
        for (int n = in.byte() % 4; n > 0; --n) {
            static const char* const kFiles[] = {"type", "status", "energy_now", "capacity",
                                                 "model_name", "serial_number", "present"};
            const char* file = kFiles[in.byte() % std::size(kFiles)];
            if (in.byte() % 4 == 0) {
                link(in.byte() % 2 ? absolute_text(in) : relative_text(in, names, climbs),
                     folder / file);
            } else {
                write_file(folder / file,
                           std::string(file) == "serial_number" ? serial(in) + "\n" : in.field());
            }
        }
    }

    void entry(int i) {
        const std::string name = entry_name(in, ids, i);
        const fs::path at = root / name;
        std::error_code ec;
        if (fs::exists(fs::symlink_status(at))) {
            return;
        }
        names.push_back(name);
        switch (in.byte() % 8) {
        case 0:
        case 1: {  // the kernel's layout: a device folder, and a relative class link to it
            const std::string device = in.byte() % 2 ? "0005:05AC:0267.000" + std::to_string(i % 3)
                                                     : "dev" + std::to_string(i % 3);
            const fs::path folder = tree / "devices" / device / "power_supply" / name;
            fs::create_directories(folder, ec);
            link("../..", folder / "device");
            fill(folder, name);
            link(class_to_tree + "/devices/" + device + "/power_supply/" + name, at);
            break;
        }
        case 2:
            fs::create_directories(at, ec);
            fill(at, name);
            break;
        case 3:
            link(absolute_text(in), at);
            break;
        case 4:
            link(relative_text(in, names, climbs), at);
            break;
        case 5:
            if (in.byte() % 2) {
                mkfifo(at.c_str(), 0600);
            } else {
                write_file(at, in.field());
            }
            break;
        case 6:  // a link to a name listed before, or to itself
            link(names[in.byte() % names.size()], at);
            break;
        default:  // another link to a supply folder that may have many
            link(class_to_tree + "/devices/dev" + std::to_string(in.byte() % 3) +
                     "/power_supply/" + names[in.byte() % names.size()],
                 at);
            break;
        }
    }
};

// What the window would show for the tree, as one text: one live pass, and every reading's
// texts in both units on both pages.
std::string rendering(const fs::path& root) {
    SupplyCache cache;
    cache.root = root;
    BatterySnapshot snapshot;
    try {
        snapshot = run_live_pass(cache, [] { return std::chrono::steady_clock::time_point{}; });
    } catch (const std::exception& e) {
        return std::string("thrown: ") + e.what();
    }
    std::string text = snapshot.error_message + (cache.rescan_requested ? "\nrescan\n" : "\n");
    for (std::size_t i = 0; i < std::max<std::size_t>(snapshot.readings.size(), 1); ++i) {
        const std::string id = i < snapshot.readings.size() ? snapshot.readings[i].id : "";
        for (const CapacityUnit unit : {CapacityUnit::Wh, CapacityUnit::mAh}) {
            for (const bool compact : {false, true}) {
                const ReadingView v = compute_reading_view(snapshot, unit, id, false, compact);
                for (const std::string* s :
                     {&v.caption, &v.rate_text, &v.compact_rate_text, &v.remaining_text,
                      &v.compact_remaining_text, &v.full_charge_text, &v.design_capacity_text,
                      &v.health_text, &v.voltage_text, &v.status_text, &v.title,
                      &v.percent_text, &v.details}) {
                    text += id + ": " + *s + "\n";
                }
                for (const std::string& note : v.notes) {
                    text += id + ": " + note + "\n";
                }
            }
        }
    }
    return text;
}

// No address or HID id of the input in a name, a link text or a POWER_SUPPLY_NAME value.
void check_no_identifier(const std::string& text, const Identifiers& ids) {
    const std::string low = lower(text);
    for (const std::string& address : ids.addresses) {
        check(low.find(address) == std::string::npos, "address kept: " + text);
    }
    std::istringstream parts(text);
    for (std::string part; std::getline(parts, part, '/');) {
        for (const std::string& hid : ids.hid_names) {
            check(part != hid, "HID id kept: " + text);
        }
    }
}

bool is_placeholder(std::string_view value) {
    value = trim_value(value);
    return value == kSerialPlaceholder || value.find_first_not_of('X') == std::string_view::npos;
}

void check_copy(const fs::path& copy, const Identifiers& ids) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(copy)) {
        const std::string path = entry.path().lexically_relative(copy).string();
        check_no_identifier(path, ids);
        if (entry.is_symlink()) {
            const std::string text = fs::read_symlink(entry.path()).string();
            check_no_identifier(text, ids);
            check(text.find(kSecret) == std::string::npos, "canary in a link: " + path);
            continue;
        }
        if (!entry.is_regular_file()) {
            continue;
        }
        const std::string bytes = read_file(entry.path());
        check(bytes.find(kSecret) == std::string::npos, "canary content in " + path);
        check(bytes.size() <= kMaxFileBytes, "over the read bound: " + path);
        const std::string name = entry.path().filename();
        if (name == "serial_number") {
            check(is_placeholder(bytes.substr(0, bytes.find('\n'))), "serial kept: " + path);
        } else if (name == "uevent") {
            std::istringstream lines(bytes);
            for (std::string line; std::getline(lines, line);) {
                if (g_ascii_strncasecmp(line.c_str(), "POWER_SUPPLY_SERIAL_NUMBER=", 27) == 0) {
                    check(is_placeholder(line.substr(27)), "serial kept: " + path);
                } else if (g_ascii_strncasecmp(line.c_str(), "POWER_SUPPLY_NAME=", 18) == 0) {
                    check_no_identifier(line.substr(18), ids);
                }
            }
        }
    }
}

// tar's exit status, or -1. posix_spawn, not fork: copying this process's sanitizer
// mappings would cost more than tar itself.
int tar_extract(const fs::path& archive, const fs::path& into) {
    const std::string file = archive.string(), folder = into.string();
    const char* argv[] = {"tar", "-xzf", file.c_str(), "-C", folder.c_str(), nullptr};
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, "tar", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
        fail("cannot run tar");
    }
    while (waitpid(pid, &status, 0) < 0) {
        check(errno == EINTR, "cannot wait for tar");  // EINTR: libFuzzer's timer
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<fs::path> listing(const fs::path& folder) {
    std::error_code ec;
    std::vector<fs::path> entries(fs::directory_iterator(folder, ec), {});
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    block_capture_signals();
    // Each input writes and removes a few hundred files: on a disk that discards freed
    // blocks that costs more than the capture, in memory nothing.
    if (std::getenv("TMPDIR") == nullptr && access("/dev/shm", W_OK) == 0) {
        setenv("TMPDIR", "/dev/shm", 1);
    }
    floor_folder();
    // TMPDIR inside the fuzzing directory, before GLib caches it.
    setenv("TMPDIR", (floor_folder() / "tmp").c_str(), 1);
    g_get_tmp_dir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path& floor = floor_folder();
    // Removed after each input, as libFuzzer may end without running atexit handlers; left
    // as it is when a check fails, to be looked at.
    struct Scratch {
        ~Scratch() {
            std::error_code ignored;
            fs::remove_all(fuzz_directory(), ignored);
        }
    } scratch;
    for (const char* folder : {"tmp", "out", "unpacked"}) {
        fs::create_directories(floor / folder);
    }
    make_canaries();

    Input in{data, size};
    Builder build{in, {}, {}, {}, {}, {}, 0};
    switch (in.byte() % 3) {
    case 0:  // as under /sys
        build.tree = floor / "sys";
        build.root = build.tree / "class/power_supply";
        build.class_to_tree = "../..";
        break;
    default:  // a tree of its own, the class folder named as the kernel names it or not
        build.tree = floor / "t";
        build.root = build.tree / (in.byte() % 2 ? "power_supply" : "ps");
        build.class_to_tree = "..";
        break;
    }
    fs::create_directories(build.root);
    for (int i = 0, entries = in.byte() % 9; i < entries; ++i) {
        build.entry(i);
    }
    const auto canaries = canary_state();

    std::ostringstream out, err;
    const int status = run_capture({build.root, floor / "out"}, out, err);
    check(canary_state() == canaries, "a canary changed");
    check(listing(floor / "tmp").empty(), "left in TMPDIR");
    const std::vector<fs::path> archives = listing(floor / "out");
    if (status != 0) {
        check(status == 1 && archives.empty(), "status " + std::to_string(status) + ": " + err.str());
        return 0;
    }
    check(archives.size() == 1, "not one archive: " + out.str());
    check(tar_extract(archives[0], floor / "unpacked") == 0, "the archive is broken");
    const std::vector<fs::path> top = listing(floor / "unpacked");
    check(top.size() == 1 && top[0].filename().string() + ".tar.gz" == archives[0].filename(),
          "the archive's folder is not named like it");
    check_copy(top[0], build.ids);
    if (out.str().find(" 0 device ids by stand-ins, 0 links left out.") != std::string::npos) {
        const std::string original = rendering(build.root);
        const std::string replay = rendering(top[0] / kCopiedClassFolder);
        check(original == replay, "the replay renders otherwise:\n" + original + "---\n" + replay);
    }
    return 0;
}
