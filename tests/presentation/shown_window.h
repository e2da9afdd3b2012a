// shown_window.h: the program's real main window, built and shown for widget tests, and a
// main loop that is run by polling until something holds.
#pragma once
#include <functional>

#include <gtest/gtest.h>

#include "app/app_state.h"

// Runs the default main context until done() holds or timeout_ms have passed; returns
// whether it holds.
bool pump_until(const std::function<bool()>& done, int timeout_ms = 5000);
// Runs the main context until every idle callback of default idle priority that is
// scheduled now has had its turn.
void drain_idles();

// A fresh AppState with its window built by build_main_window and mapped.
struct ShownWindow : testing::Test {
    AppState state;
    void SetUp() override;
    void TearDown() override;
};

// The window's size as GTK knows it from the last configure event.
struct WindowSize {
    int width = 0;   // px
    int height = 0;  // px
};
WindowSize window_size(const AppState& state);
