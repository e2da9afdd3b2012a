#include "app/unit_preference.h"

std::string unit_file_path() { return {}; }

std::optional<char> read_unit_file(const std::string& /*path*/) { return std::nullopt; }

bool save_unit_file(CapacityUnit /*unit*/) { return false; }
