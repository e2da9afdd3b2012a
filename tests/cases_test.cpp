// SPDX-License-Identifier: GPL-3.0-or-later
// Catches wrong readings, classification, unit conversion, figures, notes and texts: every
// case folder's tree goes through one live pass, and its rendering must match expected.txt.
// The same snapshot printed as --print does (print.txt, in Wh) and as --print=json --unit=mAh
// (print.json) must match those files: a terminal face that drifts from the window fails.
#include <gtest/gtest.h>

#include <clocale>

#include "support/case_folder.h"
#include "terminal/print_run.h"

TEST(Cases, EachTreeRendersAsExpected) {
    std::setlocale(LC_NUMERIC, "C");
    for (const std::filesystem::path& folder : case_folders()) {
        const PreparedCase prepared(folder);
        SupplyCache cache;
        const BatterySnapshot snapshot = prepared.read(cache);
        const bool rescan = cache.rescan_requested && !prepared.demo_mode;
        expect_rendering(folder, core_rendering(snapshot, rescan, prepared.demo_mode), false);
        expect_file(folder / "print.txt", print_output(PrintForm::text, snapshot, CapacityUnit::Wh,
                                                       prepared.demo_mode, false));
        expect_file(folder / "print.json", print_output(PrintForm::json, snapshot,
                                                        CapacityUnit::mAh, prepared.demo_mode,
                                                        false));
    }
}
