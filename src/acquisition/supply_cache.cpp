#include "acquisition/supply_cache.h"

BatterySnapshot run_live_pass(SupplyCache& /*cache*/) { return BatterySnapshot{}; }
