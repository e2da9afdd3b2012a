// SPDX-License-Identifier: GPL-3.0-or-later
// optional_number.h: a figure that a battery may or may not report.
#pragma once

// A double with a presence flag. The value of an absent number means nothing and is never
// read; a missing figure is never smuggled through as 0, -1 or NaN.
struct OptionalNumber {
    double value = 0.0;
    bool present = false;

    static constexpr OptionalNumber of(double v) { return OptionalNumber{v, true}; }
    static constexpr OptionalNumber absent() { return OptionalNumber{}; }

    // Two absent numbers are equal whatever their values.
    friend constexpr bool operator==(const OptionalNumber& a, const OptionalNumber& b) {
        return a.present == b.present && (!a.present || a.value == b.value);
    }
};
