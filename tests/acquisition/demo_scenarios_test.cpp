#include "acquisition/demo_scenarios.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// Every field of a reading on one line, so that each scenario's table reads as written.
std::string describe(const BatteryReading& r) {
    std::ostringstream out;
    const auto number = [&out](const OptionalNumber& n, const char* unit) {
        if (n.present) {
            out << n.value << unit;
        } else {
            out << "-";
        }
        out << " ";
    };
    out << r.id << "|" << r.name << "|" << r.manufacturer << "|" << r.technology << "|"
        << (r.has_cycle_count ? std::to_string(r.cycle_count) : "-") << "| ";
    for (const auto& [n, unit] : {std::pair{&r.power_w, "W"}, {&r.voltage_v, "V"},
                                  {&r.current_ma, "mA"}, {&r.energy_now_wh, "Wh"},
                                  {&r.energy_full_wh, "Wh"}, {&r.energy_full_design_wh, "Wh"},
                                  {&r.charge_now_mah, "mAh"}, {&r.charge_full_mah, "mAh"},
                                  {&r.charge_full_design_mah, "mAh"}, {&r.capacity_percent, "%"},
                                  {&r.relative_charge_percent, "%"},
                                  {&r.relative_health_percent, "%"}}) {
        number(*n, unit);
    }
    out << "|" << (r.charging ? "charging " : "") << (r.discharging ? "discharging " : "")
        << (r.direction_known ? "known " : "") << (r.on_external_power ? "external " : "")
        << (r.relative_only ? "relative" : "");
    return out.str();
}

TEST(DemoScenarios, EachScenarioMatchesItsTable) {
    const std::string sample = "sample-1|Internal battery|Sample manufacturer|Lithium ion|142| ";
    const std::string energy = "35.328Wh 55.2Wh 60Wh - - - - - - ";
    const std::string base = sample + "-12.48W 12V - " + energy + "|discharging known ";
    const std::string second = "sample-2|Secondary battery|Sample manufacturer|Lithium ion|142| "
                               "-7.5W 15V - " + energy + "|discharging known ";
    struct Case {
        const char* scenario;
        std::vector<std::string> readings;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"charging", {sample + "24W 12V - " + energy + "|charging known external "}, ""},
        {"zero-charging", {sample + "0W 12V - " + energy + "|charging known external "}, ""},
        {"idle", {sample + "0W 12V - " + energy + "|known external "}, ""},
        {"unknown", {sample + "- 12V - " + energy + "|discharging known "}, ""},
        {"no-voltage", {sample + "-12.48W - - " + energy + "|discharging known "}, ""},
        {"relative",
         {sample + "- 12V - - - - - - - - 64% 92% |discharging known relative"}, ""},
        {"empty", {}, ""},
        {"multiple", {base, second}, ""},
        {"error", {base}, "Sample: access to battery data was denied."},
        {"", {base}, ""},
        {"Charging", {base}, ""},
        {"charging ", {base}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("scenario \"") + c.scenario + "\"");
        const BatterySnapshot snapshot = build_demo_snapshot(c.scenario);
        std::vector<std::string> readings;
        for (const BatteryReading& r : snapshot.readings) {
            readings.push_back(describe(r));
        }
        EXPECT_EQ(readings, c.readings);
        EXPECT_EQ(snapshot.error_message, c.message);
    }
}

} // namespace
