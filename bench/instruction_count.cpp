// SPDX-License-Identifier: GPL-3.0-or-later
// instruction_count.cpp: the work whose instructions scripts/instruction_counts.sh counts
// under callgrind, one kind of pass per run, on a tree laid out for the run:
//   instruction_count cached|floor|rescan|floor-rescan SUPPLIES PASSES
// Only the count_* functions are measured (callgrind --toggle-collect=count_KIND): the tree,
// the first scan and one pass of each kind, which binds every library call the passes make,
// run before them. Exits 1 when the pass and the floor read different figures.
#include "acquisition/supply_cache.h"
#include "floor_loop.h"
#include "floor_tree.h"

#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" {

// The program's own pass, on the real clock: every pass after the first walks the list.
[[gnu::noinline]] void count_cached(SupplyCache& cache, int passes) {
    for (int i = 0; i < passes; ++i) {
        const BatterySnapshot snapshot = run_live_pass(cache);
    }
}

[[gnu::noinline]] void count_floor(const FloorList* list, FloorReading* readings, int passes) {
    for (int i = 0; i < passes; ++i) {
        floor_pass(list, readings);
    }
}

[[gnu::noinline]] void count_rescan(SupplyCache& cache, int passes) {
    for (int i = 0; i < passes; ++i) {
        cache.rescan_requested = true;
        const BatterySnapshot snapshot = run_live_pass(cache);
    }
}

[[gnu::noinline]] void count_floor_rescan(const char* root, FloorList* list, FloorReading* readings,
                                          int passes) {
    for (int i = 0; i < passes; ++i) {
        floor_scan(root, list);
        floor_pass(list, readings);
    }
}

} // extern "C"

namespace {

bool same_figure(const OptionalNumber& pass, const FloorFigure& floor) {
    return pass.present == floor.present && (!pass.present || pass.value == floor.value);
}

// The pass and the floor must read the same batteries and figures, or the count compares
// unlike work.
bool same_readings(const BatterySnapshot& snapshot, const FloorReading* readings,
                   std::size_t count) {
    if (snapshot.readings.size() != count) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const BatteryReading& p = snapshot.readings[i];
        const FloorReading& f = readings[i];
        if (p.id != f.supply->name || p.name != f.supply->model_name ||
            !same_figure(p.voltage_v, f.voltage_v) ||
            !same_figure(p.energy_now_wh, f.energy_now_wh) ||
            !same_figure(p.energy_full_wh, f.energy_full_wh) ||
            !same_figure(p.energy_full_design_wh, f.energy_full_design_wh) ||
            !same_figure(p.charge_now_mah, f.charge_now_mah) ||
            !same_figure(p.charge_full_mah, f.charge_full_mah) ||
            !same_figure(p.charge_full_design_mah, f.charge_full_design_mah) ||
            !same_figure(p.power_w, f.power_w) || !same_figure(p.current_ma, f.current_ma) ||
            !same_figure(p.capacity_percent, f.capacity_percent) ||
            p.cycle_count != f.cycle_count || p.on_external_power != f.on_external_power) {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::string kind = argc == 4 ? argv[1] : "";
    const int supplies = argc == 4 ? std::atoi(argv[2]) : 0;
    const int passes = argc == 4 ? std::atoi(argv[3]) : 0;
    if ((kind != "cached" && kind != "floor" && kind != "rescan" && kind != "floor-rescan") ||
        supplies < 1 || supplies > static_cast<int>(kFloorMaxSupplies) || passes < 1) {
        std::fprintf(stderr,
                     "usage: instruction_count cached|floor|rescan|floor-rescan "
                     "SUPPLIES(1-%zu) PASSES\n",
                     kFloorMaxSupplies);
        return 2;
    }
    FixtureTree tree;
    add_floor_supplies(tree, supplies);
    SupplyCache cache;
    cache.root = tree.root;
    static FloorList list;
    static FloorReading readings[kFloorMaxSupplies];
    const auto batteries = static_cast<std::size_t>(supplies - 1);
    run_live_pass(cache);
    const BatterySnapshot snapshot = run_live_pass(cache);
    if (!floor_scan(tree.root.c_str(), &list) ||
        !same_readings(snapshot, readings, floor_pass(&list, readings)) ||
        snapshot.readings.size() != batteries) {
        std::fprintf(stderr, "instruction_count: the pass and the floor read different trees\n");
        return 1;
    }

    const auto scanned = cache.last_scan;
    if (kind == "cached") {
        count_cached(cache, passes);
        if (cache.last_scan != scanned) {
            std::fprintf(stderr, "instruction_count: a rescan ran among the cached passes\n");
            return 1;
        }
    } else if (kind == "floor") {
        count_floor(&list, readings, passes);
    } else if (kind == "rescan") {
        count_rescan(cache, passes);
    } else {
        count_floor_rescan(tree.root.c_str(), &list, readings, passes);
    }
    return 0;
}
