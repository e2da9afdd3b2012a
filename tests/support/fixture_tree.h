// fixture_tree.h: power-supply trees in a fresh temporary directory, laid out the way the
// kernel lays them out.
#pragma once
#include <filesystem>

// A fresh directory, removed with everything in it when the object goes out of scope.
struct FixtureTree {
    FixtureTree();
    ~FixtureTree();
    FixtureTree(const FixtureTree&) = delete;
    FixtureTree& operator=(const FixtureTree&) = delete;

    std::filesystem::path base;  // the temporary directory
    std::filesystem::path root;  // base/power_supply: point a SupplyCache here
};
