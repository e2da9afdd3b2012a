// SPDX-License-Identifier: GPL-3.0-or-later
// gtk_test_main.cpp: main() for tests that need real widgets on a (virtual) display.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!gtk_init_check(nullptr, nullptr)) {
        fprintf(stderr, "no display: run under tests/support/with-xvfb.sh\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
