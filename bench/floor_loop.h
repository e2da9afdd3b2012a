// SPDX-License-Identifier: GPL-3.0-or-later
// floor_loop.h: the least a reading pass can do, as a plain loop with fixed buffers and no
// allocation: the system calls and look-ups of a live pass and of a rescan, and nothing
// else. The baseline that bench/acquisition_bench.cpp and bench/instruction_count.cpp
// measure the pass against.
#pragma once
#include <cstddef>

inline constexpr std::size_t kFloorMaxSupplies = 128;

// One supply as the floor's scan keeps it. Identity strings are cut to fit: the trees the
// floor runs on hold short ones.
struct FloorSupply {
    char dir[512]; // root/NAME
    std::size_t dir_length;
    char name[256];
    char model_name[128];
    char manufacturer[128];
    char technology[128];
    bool is_battery;
};

// The supplies of one scan, and their order by name.
struct FloorList {
    FloorSupply supplies[kFloorMaxSupplies];
    const FloorSupply* by_name[kFloorMaxSupplies];
    std::size_t count;
};

struct FloorFigure {
    double value;
    bool present;
};

// One battery's figures in display units, with the pass's rules.
struct FloorReading {
    const FloorSupply* supply; // the identity strings stay in the list
    FloorFigure voltage_v, energy_now_wh, energy_full_wh, energy_full_design_wh;
    FloorFigure charge_now_mah, charge_full_mah, charge_full_design_mah;
    FloorFigure power_w, current_ma, capacity_percent;
    unsigned cycle_count;
    bool has_cycle_count, charging, discharging, on_external_power, unreadable;
};

// Lists root as a rescan does: each entry's status, its uevent, its type, scope and
// identity strings (single files where uevent lacks them), then the order by name. False
// when root cannot be listed. Not for two threads at once: it reads into static buffers.
bool floor_scan(const char* root, FloorList* list);

// Reads the listed supplies as a cached pass does: each one's status and uevent, the
// adapters' online, the batteries' present and figures (single files where uevent lacks
// them). Returns the number of batteries written to readings, which has room for
// list->count. Not for two threads at once.
std::size_t floor_pass(const FloorList* list, FloorReading* readings);
