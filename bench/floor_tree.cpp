// SPDX-License-Identifier: GPL-3.0-or-later
#include "floor_tree.h"

#include <string>

namespace {

const FixtureAttributes kAdapter = {{"name", "AC"}, {"type", "Mains"}, {"online", "1"}};

// An ACPI battery reporting energy: no charge figures and no current.
FixtureAttributes energy_battery(const std::string& name) {
    return {{"name", name},
            {"type", "Battery"},
            {"status", "Discharging"},
            {"present", "1"},
            {"technology", "Li-poly"},
            {"cycle_count", "321"},
            {"voltage_min_design", "11580000"},
            {"voltage_now", "12316000"},
            {"power_now", "8741000"},
            {"energy_full_design", "57020000"},
            {"energy_full", "50110000"},
            {"energy_now", "31240000"},
            {"capacity", "62"},
            {"capacity_level", "Normal"},
            {"model_name", "5B10W13930"},
            {"manufacturer", "SMP"},
            {"serial_number", "1234"}};
}

// An ACPI battery reporting charge: no energy figures and no power.
FixtureAttributes charge_battery(const std::string& name) {
    return {{"name", name},
            {"type", "Battery"},
            {"status", "Charging"},
            {"present", "1"},
            {"technology", "Li-ion"},
            {"cycle_count", "87"},
            {"voltage_min_design", "10800000"},
            {"voltage_now", "12460000"},
            {"current_now", "1520000"},
            {"charge_full_design", "5800000"},
            {"charge_full", "5210000"},
            {"charge_now", "2604000"},
            {"capacity", "49"},
            {"capacity_level", "Normal"},
            {"model_name", "DELL 7FHHV"},
            {"manufacturer", "SMP"},
            {"serial_number", "4321"}};
}

} // namespace

void add_floor_supplies(const FixtureTree& tree, int supplies) {
    tree.add_supply("AC", kAdapter);
    for (int i = 0; i < supplies - 1; ++i) {
        const std::string name = "BAT" + std::to_string(i);
        tree.add_supply(name, i % 2 == 0 ? energy_battery(name) : charge_battery(name));
    }
}
