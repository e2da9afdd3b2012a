#include "acquisition/demo_scenarios.h"

BatterySnapshot build_demo_snapshot(const std::string& /*scenario*/) { return BatterySnapshot{}; }
