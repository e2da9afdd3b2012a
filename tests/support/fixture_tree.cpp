// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fixture_tree.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include <glib.h>

FixtureTree::FixtureTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavrino-test-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    base = pattern;
    root = base / "power_supply";
    std::filesystem::create_directories(root);
}

FixtureTree::~FixtureTree() {
    std::error_code ignored;
    std::filesystem::remove_all(base, ignored);
}

std::filesystem::path FixtureTree::add_supply(const std::string& name,
                                              const FixtureAttributes& uevent,
                                              const FixtureAttributes& files) const {
    std::filesystem::path device = base / "devices" / name;
    std::filesystem::create_directories(device);
    std::string lines;
    for (const auto& [attribute, value] : uevent) {
        g_autofree gchar* key = g_ascii_strup(attribute.c_str(), -1);
        lines.append("POWER_SUPPLY_").append(key).append("=").append(value).append("\n");
    }
    write_fixture_file(device / "uevent", lines);
    for (const auto& [attribute, value] : files) {
        write_fixture_file(device / attribute, value + "\n");
    }
    std::filesystem::create_directory_symlink(std::filesystem::path("..") / "devices" / name,
                                              root / name);
    return device;
}

void FixtureTree::remove_supply(const std::string& name) const {
    std::filesystem::remove(root / name);
    std::filesystem::remove_all(base / "devices" / name);
}

void write_fixture_file(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string reading_ids(const BatterySnapshot& snapshot) {
    std::string ids;
    for (const BatteryReading& r : snapshot.readings) {
        ids += r.id + " ";
    }
    return ids;
}
