// SPDX-License-Identifier: GPL-3.0-or-later
// Catches a capture that renders otherwise than its tree, keeps a serial number, or grows.
#include <gtest/gtest.h>

#include "acquisition/attribute_map.h"
#include "acquisition/bounded_file.h"
#include "acquisition/supply_scan.h"
#include "capture/supply_tree_copy.h"
#include "support/case_folder.h"

namespace fs = std::filesystem;

namespace {

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
        const TreeCopy copy = copy_supply_tree(prepared.root, top);
        const std::string original = live_rendering(prepared.root);
        if (!copy.listed) {  // nothing to capture; the program says why
            EXPECT_NE(original.find("The Linux battery interface could not be read: "),
                      std::string::npos);
            continue;
        }
        EXPECT_EQ(copy.error, "");
        EXPECT_EQ(live_rendering(top / kCopiedClassFolder), original);
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(top)) {
            if (fs::is_regular_file(entry.symlink_status())) {
                EXPECT_LE(entry.file_size(), kMaxFileBytes) << entry.path();
            }
        }
        // The serial numbers as the program would read them: from uevent, and from the file.
        for (const fs::directory_entry& supply : fs::directory_iterator(top / kCopiedClassFolder)) {
            AttributeMap from_uevent = read_attributes(supply.path());
            AttributeMap none;
            for (AttributeMap* map : {&from_uevent, &none}) {
                const std::string& serial = read_text(*map, supply.path(), "serial_number");
                EXPECT_TRUE(serial.empty() || serial == kSerialPlaceholder) << supply.path();
                serial_numbers += serial.empty() ? 0 : 1;
            }
        }
    }
    EXPECT_GE(serial_numbers, 9);  // the case trees hold that many: none was missed
}

} // namespace
