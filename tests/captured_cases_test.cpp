// SPDX-License-Identifier: GPL-3.0-or-later
// Catches a capture that renders otherwise than its tree, keeps a serial number, or grows.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include <glib.h>

#include "acquisition/attribute_map.h"
#include "acquisition/bounded_file.h"
#include "acquisition/supply_scan.h"
#include "capture/identifiers.h"
#include "capture/supply_tree_read.h"
#include "capture/tree_writer.h"
#include "support/case_folder.h"

namespace fs = std::filesystem;

namespace {

// The serial numbers in a supply folder as a reader of its attributes would find them: each
// uevent line whose key is the serial number's in any case, and the file's first line.
std::vector<std::string> serial_numbers_in(const fs::path& supply) {
    std::vector<std::string> found;
    std::ifstream uevent(supply / "uevent");
    for (std::string line; std::getline(uevent, line);) {
        if (g_ascii_strncasecmp(line.c_str(), "POWER_SUPPLY_SERIAL_NUMBER=", 27) == 0) {
            found.emplace_back(trim_value(std::string_view(line).substr(27)));
        }
    }
    std::ifstream file(supply / "serial_number");
    if (std::string line; std::getline(file, line)) {
        found.emplace_back(trim_value(line));
    }
    return found;
}

// Each case tree, FIFOs, endless and sparse files included, is copied as tavrino-capture
// copies it, and the copy is rendered through --sysfs-root='s path: one live pass.
TEST(CapturedCases, RenderAsTheirTreeWithoutSerialNumbersOrBloat) {
    int serial_numbers = 0;
    for (const fs::path& folder : case_folders()) {
        SCOPED_TRACE(folder.filename().string());
        PreparedCase prepared(folder);
        if (prepared.demo_mode) {
            continue;
        }
        const fs::path top = prepared.tree.base / "capture";
        CapturedTree copy = read_supply_tree(prepared.root);
        const std::string original = live_rendering(prepared.root);
        if (!copy.listed) {  // nothing to capture; the program says why
            EXPECT_NE(original.find("The Linux battery interface could not be read: "),
                      std::string::npos);
            continue;
        }
        replace_identifiers(copy);
        const int base = ::open(prepared.tree.base.c_str(), O_RDONLY | O_DIRECTORY);
        EXPECT_EQ(copy.error + write_captured_tree(copy, base, "capture"), "");
        ::close(base);
        EXPECT_EQ(live_rendering(top / kCopiedClassFolder), original);
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(top)) {
            if (fs::is_regular_file(entry.symlink_status())) {
                EXPECT_LE(entry.file_size(), kMaxFileBytes) << entry.path();
            }
        }
        for (const fs::directory_entry& supply : fs::directory_iterator(top / kCopiedClassFolder)) {
            for (const std::string& serial : serial_numbers_in(supply.path())) {
                EXPECT_TRUE(serial == kSerialPlaceholder ||
                            serial.find_first_not_of('X') == std::string::npos)
                    << supply.path();
                serial_numbers += serial.empty() ? 0 : 1;
            }
        }
    }
    EXPECT_GE(serial_numbers, 9);  // the case trees hold that many: none was missed
}

} // namespace
