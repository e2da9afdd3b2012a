// SPDX-License-Identifier: GPL-3.0-or-later
// gtk_test_main.cpp: main() for tests that need real widgets on a (virtual) display.
#include <cstdio>

#include <gtest/gtest.h>

#include "app/lifecycle.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!start_gtk()) {
        std::fprintf(stderr, "no display: run under tests/support/with-display.sh\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
