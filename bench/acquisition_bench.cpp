// SPDX-License-Identifier: GPL-3.0-or-later
// The live reading pass against its floor, a plain loop making the same system calls and
// look-ups (bench/floor_loop.h), cached and with a rescan, on trees of 3, 10 and 100
// supplies. Compare the per-supply times of the two in the same run; their instruction
// counts come from scripts/instruction_counts.sh. The pass of --watch (the same live pass, then
// the output made and compared with the last) against the window reader's cached pass.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "acquisition/supply_cache.h"
#include "floor_loop.h"
#include "floor_tree.h"
#include "terminal/print_run.h"

namespace {

// Made once per size and kept for the whole run.
const FixtureTree& tree_of(int supplies) {
    static std::vector<std::pair<int, std::unique_ptr<FixtureTree>>> trees;
    for (const auto& [count, tree] : trees) {
        if (count == supplies) {
            return *tree;
        }
    }
    auto tree = std::make_unique<FixtureTree>();
    add_floor_supplies(*tree, supplies);
    trees.emplace_back(supplies, std::move(tree));
    return *trees.back().second;
}

void set_per_supply(benchmark::State& state) {
    state.counters["per_supply"] = benchmark::Counter(
        static_cast<double>(state.range(0)),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Static: the list is large, and the floor's own buffers are static too.
FloorList floor_list;
FloorReading floor_readings[kFloorMaxSupplies];

void BM_FloorPass(benchmark::State& state) {
    const FixtureTree& tree = tree_of(static_cast<int>(state.range(0)));
    if (!floor_scan(tree.root.c_str(), &floor_list)) {
        state.SkipWithError("the floor could not list the tree");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(floor_pass(&floor_list, floor_readings));
    }
    set_per_supply(state);
}

void BM_FloorRescan(benchmark::State& state) {
    const FixtureTree& tree = tree_of(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        floor_scan(tree.root.c_str(), &floor_list);
        benchmark::DoNotOptimize(floor_pass(&floor_list, floor_readings));
    }
    set_per_supply(state);
}

void BM_CachedPass(benchmark::State& state) {
    SupplyCache cache;
    cache.root = tree_of(static_cast<int>(state.range(0))).root;
    // The program's own pass on the real clock: every pass after the first walks the list.
    if (run_live_pass(cache).readings.size() != std::size_t(state.range(0) - 1)) {
        state.SkipWithError("the first pass did not find every battery");
        return;
    }
    const auto scanned = cache.last_scan;
    for (auto _ : state) {
        BatterySnapshot snapshot = run_live_pass(cache);
        benchmark::DoNotOptimize(snapshot.readings.data());
    }
    if (cache.last_scan != scanned) {
        state.SkipWithError("a rescan ran among the cached passes");
    }
    set_per_supply(state);
}

void BM_Rescan(benchmark::State& state) {
    SupplyCache cache;
    cache.root = tree_of(static_cast<int>(state.range(0))).root;
    for (auto _ : state) {
        cache.rescan_requested = true;
        BatterySnapshot snapshot = run_live_pass(cache);
        benchmark::DoNotOptimize(snapshot.readings.data());
    }
    set_per_supply(state);
}

// What --watch does every 2 seconds, on a steady battery (the output is made once) and on
// one whose output is made every time; compare with BM_CachedPass at the same size.
void BM_WatchPass(benchmark::State& state, PrintForm form, bool changing) {
    StartupSettings settings;
    settings.print_form = form;
    PrintPasses passes;
    passes.settings = &settings;
    passes.cache.root = tree_of(static_cast<int>(state.range(0))).root;
    for (auto _ : state) {
        passes.has_last = passes.has_last && !changing;
        benchmark::DoNotOptimize(next_output(passes).data());
    }
    set_per_supply(state);
}

} // namespace

BENCHMARK_CAPTURE(BM_WatchPass, steady, PrintForm::text, false)->Arg(3)->Arg(10);
BENCHMARK_CAPTURE(BM_WatchPass, text, PrintForm::text, true)->Arg(3)->Arg(10);
BENCHMARK_CAPTURE(BM_WatchPass, json, PrintForm::json, true)->Arg(3)->Arg(10);
BENCHMARK(BM_FloorPass)->Arg(3)->Arg(10)->Arg(100);
BENCHMARK(BM_CachedPass)->Arg(3)->Arg(10)->Arg(100);
BENCHMARK(BM_FloorRescan)->Arg(3)->Arg(10)->Arg(100);
BENCHMARK(BM_Rescan)->Arg(3)->Arg(10)->Arg(100);

BENCHMARK_MAIN();
