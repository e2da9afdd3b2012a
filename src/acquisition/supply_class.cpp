// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/supply_class.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<std::string_view, 10> kAdapterTypes = {
    "Mains",  "USB",    "USB_DCP",    "USB_CDP", "USB_ACA",
    "USB_C",  "USB_PD", "USB_PD_DRP", "BrickID", "Wireless",
};

} // namespace

SupplyClass classify_supply_type(std::string_view type) {
    if (type == "Battery") {
        return SupplyClass::Battery;
    }
    if (std::find(kAdapterTypes.begin(), kAdapterTypes.end(), type) != kAdapterTypes.end()) {
        return SupplyClass::Adapter;
    }
    return SupplyClass::Ignored;
}
