// SPDX-License-Identifier: GPL-3.0-or-later
// attribute_map_fuzz.cpp: a supply directory whose uevent holds the fuzzer's bytes is read
// into a map and then into a battery reading; every figure must obey its own invariants.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include <glib.h>

#include "acquisition/attribute_map.h"
#include "acquisition/battery_reading.h"
#include "fuzz_directory.h"

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void check_number(const OptionalNumber& n, bool non_negative) {
    if (n.present) {
        check(std::isfinite(n.value));
        check(!non_negative || n.value >= 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path& dir = fuzz_directory();
    {
        std::ofstream out(dir / "uevent", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    AttributeMap map;
    read_attributes(map, dir.native());
    for (std::size_t i = 0; i < kAttributeCount; ++i) {
        const std::string_view value = read_text(map, static_cast<Attribute>(i));
        check(trim_value(value).size() == value.size());
        check(value.size() <= kMaxLineBytes);
    }

    BatterySnapshot snapshot;
    read_battery(map, "BAT0", "name", "maker", "chemistry", snapshot);
    check(snapshot.readings.size() == 1);
    const BatteryReading& r = snapshot.readings.back();
    for (const OptionalNumber* n : {&r.energy_now_wh, &r.energy_full_wh,
                                    &r.energy_full_design_wh, &r.charge_now_mah,
                                    &r.charge_full_mah, &r.charge_full_design_mah,
                                    &r.voltage_v, &r.capacity_percent}) {
        check_number(*n, true);
    }
    check_number(r.power_w, false);
    check_number(r.current_ma, false);
    check(!(r.charging && r.discharging));
    check(!r.capacity_percent.present ||
          (r.capacity_percent.value >= 0 && r.capacity_percent.value <= 100));
    check(!r.has_cycle_count || (r.cycle_count > 0 && r.cycle_count < 4294967295U));
    check(g_utf8_validate(snapshot.error_message.c_str(), -1, nullptr));
    return 0;
}
