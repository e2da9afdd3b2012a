// The live reading pass against the least a pass could do: stat each supply and read its
// uevent into a buffer. Compare the per-supply times of the two in the same run.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "acquisition/supply_cache.h"
#include "support/fixture_tree.h"

namespace {

// Every attribute a pass asks for is in uevent, so no single file needs opening.
const FixtureAttributes kBattery = {
    {"name", "BAT"},
    {"type", "Battery"},
    {"status", "Discharging"},
    {"present", "1"},
    {"technology", "Li-poly"},
    {"cycle_count", "321"},
    {"voltage_min_design", "11580000"},
    {"voltage_now", "12316000"},
    {"power_now", "8741000"},
    {"current_now", "709000"},
    {"energy_full_design", "57020000"},
    {"energy_full", "50110000"},
    {"energy_now", "31240000"},
    {"charge_full_design", "4924000"},
    {"charge_full", "4327000"},
    {"charge_now", "2697000"},
    {"capacity", "62"},
    {"capacity_level", "Normal"},
    {"model_name", "5B10W13930"},
    {"manufacturer", "SMP"},
    {"serial_number", "1234"},
    {"scope", "System"},
};
const FixtureAttributes kAdapter = {
    {"name", "AC"}, {"type", "Mains"}, {"online", "1"}, {"scope", "System"}};

// One adapter and supplies - 1 batteries, made once per size and kept for the whole run.
const FixtureTree& tree_of(int supplies) {
    static std::vector<std::pair<int, std::unique_ptr<FixtureTree>>> trees;
    for (const auto& [count, tree] : trees) {
        if (count == supplies) {
            return *tree;
        }
    }
    auto tree = std::make_unique<FixtureTree>();
    tree->add_supply("AC", kAdapter);
    for (int i = 0; i < supplies - 1; ++i) {
        tree->add_supply("BAT" + std::to_string(i), kBattery);
    }
    trees.emplace_back(supplies, std::move(tree));
    return *trees.back().second;
}

void set_per_supply(benchmark::State& state) {
    state.counters["per_supply"] = benchmark::Counter(
        static_cast<double>(state.range(0)),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_RawLoop(benchmark::State& state) {
    const FixtureTree& tree = tree_of(static_cast<int>(state.range(0)));
    std::vector<std::string> supplies;
    std::vector<std::string> uevents;
    for (const auto& entry : std::filesystem::directory_iterator(tree.root)) {
        supplies.push_back(entry.path());
        uevents.push_back(entry.path() / "uevent");
    }
    std::array<char, 4096> buffer{};
    for (auto _ : state) {
        for (std::size_t i = 0; i < supplies.size(); ++i) {
            struct stat st {};
            benchmark::DoNotOptimize(::stat(supplies[i].c_str(), &st));
            const int fd = ::open(uevents[i].c_str(), O_RDONLY | O_CLOEXEC);
            while (::read(fd, buffer.data(), buffer.size()) > 0) {
                benchmark::DoNotOptimize(buffer.data());
            }
            ::close(fd);
        }
    }
    set_per_supply(state);
}

void BM_CachedPass(benchmark::State& state) {
    SupplyCache cache;
    cache.root = tree_of(static_cast<int>(state.range(0))).root;
    // A clock that never moves: every pass after the first walks the cached list.
    const auto fixed = std::chrono::steady_clock::now();
    const SteadyClockNow clock = [fixed] { return fixed; };
    if (run_live_pass(cache, clock).readings.size() != std::size_t(state.range(0) - 1)) {
        state.SkipWithError("the first pass did not find every battery");
        return;
    }
    for (auto _ : state) {
        BatterySnapshot snapshot = run_live_pass(cache, clock);
        benchmark::DoNotOptimize(snapshot.readings.data());
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

} // namespace

BENCHMARK(BM_RawLoop)->Arg(3)->Arg(10)->Arg(100);
BENCHMARK(BM_CachedPass)->Arg(3)->Arg(10)->Arg(100);
BENCHMARK(BM_Rescan)->Arg(3)->Arg(10)->Arg(100);

BENCHMARK_MAIN();
