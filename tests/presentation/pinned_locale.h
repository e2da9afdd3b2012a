// pinned_locale.h: figure texts depend on LC_NUMERIC; tests that check them pin "C".
#pragma once
#include <clocale>
#include <string>

#include <gtest/gtest.h>

class PinnedLocaleTest : public testing::Test {
  protected:
    void SetUp() override {
        saved_ = std::setlocale(LC_NUMERIC, nullptr);
        std::setlocale(LC_NUMERIC, "C");
    }
    void TearDown() override { std::setlocale(LC_NUMERIC, saved_.c_str()); }

  private:
    std::string saved_;
};
