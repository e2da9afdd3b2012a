// SPDX-License-Identifier: GPL-3.0-or-later
// live_pass_fuzz.cpp: a whole power-supply tree is built from the fuzzer's bytes (supplies
// as links, directories, plain files, FIFOs, dangling or looping links, with uevent and
// attribute files of any content) and read by three live passes; nothing may crash, block
// or produce a reading that breaks the snapshot's rules.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <system_error>

#include <glib.h>

#include "acquisition/supply_cache.h"
#include "fuzz_directory.h"

namespace {

namespace fs = std::filesystem;

// Reads the input as a sequence of fields, each a length byte and that many bytes.
struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;

    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    std::string field() {
        std::size_t length = byte();
        length = std::min(length, size - at);
        std::string text(reinterpret_cast<const char*>(data + at), length);
        at += length;
        return text;
    }
    bool done() const { return at >= size; }
};

const char* const kAttributeNames[] = {"type", "status", "present", "online", "scope",
                                       "energy_now", "power_now", "voltage_now", "capacity",
                                       "model_name"};

void write_file(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void check_snapshot(const BatterySnapshot& snapshot) {
    check(g_utf8_validate(snapshot.error_message.c_str(), -1, nullptr));
    std::set<std::string> ids;
    for (const BatteryReading& r : snapshot.readings) {
        check(g_utf8_validate(r.id.c_str(), -1, nullptr));
        check(g_utf8_validate(r.name.c_str(), -1, nullptr));
        check(g_utf8_validate(r.manufacturer.c_str(), -1, nullptr));
        check(g_utf8_validate(r.technology.c_str(), -1, nullptr));
        check(!(r.charging && r.discharging));
        check(!r.relative_only);
        check(ids.insert(r.id).second);  // ids are unique within a snapshot
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    clear_fuzz_directory();
    const fs::path base = fuzz_directory();
    const fs::path root = base / "power_supply";
    const fs::path devices = base / "devices";
    std::error_code ec;
    fs::create_directories(devices, ec);

    Input in{data, size};
    const std::uint8_t root_kind = in.byte() % 8;
    if (root_kind == 0) {
        write_file(root, "not a directory");
    } else if (root_kind != 1) {  // 1: the root is missing
        fs::create_directory(root, ec);
    }

    for (int i = 0; i < 6 && !in.done(); ++i) {
        std::string name = in.field();
        if (name.empty() || name.find('/') != std::string::npos || name.find('\0') !=
                                                                        std::string::npos ||
            name == "." || name == "..") {
            name = "S" + std::to_string(i);
        }
        const fs::path device = devices / name;
        const fs::path entry = root / name;
        switch (in.byte() % 6) {
        case 0:  // a device directory behind a link, as the kernel lays it out
        case 1:
            fs::create_directory(device, ec);
            fs::create_symlink(device, entry, ec);
            break;
        case 2:  // a plain directory
            fs::create_directory(entry, ec);
            break;
        case 3:  // a plain file
            write_file(entry, "x");
            continue;
        case 4:  // a dangling link or a link to itself
            fs::create_symlink(in.byte() % 2 ? entry : base / "missing", entry, ec);
            continue;
        default:  // a FIFO
            mkfifo(entry.c_str(), 0600);
            continue;
        }
        const fs::path dir = fs::is_directory(device, ec) ? device : entry;
        const std::uint8_t uevent_kind = in.byte() % 4;
        if (uevent_kind == 3) {
            mkfifo((dir / "uevent").c_str(), 0600);
        } else if (uevent_kind == 2) {
            fs::create_directory(dir / "uevent", ec);
        } else {
            write_file(dir / "uevent", in.field() + in.field());
        }
        const std::uint8_t files = in.byte() % 4;
        for (std::uint8_t f = 0; f < files; ++f) {
            const char* attribute = kAttributeNames[in.byte() % std::size(kAttributeNames)];
            write_file(dir / attribute, in.field());
        }
    }

    SupplyCache cache;
    cache.root = root;
    auto clock = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
    const SteadyClockNow now = [&clock] { return clock; };
    for (int pass = 0; pass < 3; ++pass) {
        BatterySnapshot snapshot = run_live_pass(cache, now);
        check_snapshot(snapshot);
        clock += std::chrono::seconds(pass == 0 ? 1 : 31);
    }
    return 0;
}
