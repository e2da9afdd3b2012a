// Catches wrong readings, classification, unit conversion, figures, notes and texts: every
// case folder's tree goes through one live pass, and its rendering must match expected.txt.
#include <gtest/gtest.h>

#include <clocale>

#include "acquisition/demo_scenarios.h"
#include "support/case_folder.h"

namespace {

TEST(Cases, EachTreeRendersAsExpected) {
    std::setlocale(LC_NUMERIC, "C");
    for (const std::filesystem::path& folder : case_folders()) {
        SCOPED_TRACE(folder.filename().string());
        PreparedCase prepared(folder);
        const std::string text =
            prepared.demo_mode
                ? core_rendering(build_demo_snapshot(prepared.demo_scenario), false, true)
                : live_rendering(prepared.root);
        expect_rendering(folder, text, false);
    }
}

} // namespace
