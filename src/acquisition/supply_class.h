// SPDX-License-Identifier: GPL-3.0-or-later
// supply_class.h: which power supplies the program reads, by their kernel type.
#pragma once
#include <string_view>

enum class SupplyClass {
    Battery,  // a system battery: read on every pass
    Adapter,  // external power: read only to know whether it is online
    Ignored,  // anything else, such as a UPS
};

// Matches the kernel's `type` text exactly, case-sensitively.
SupplyClass classify_supply_type(std::string_view type);
