#include "support/fixture_tree.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>

FixtureTree::FixtureTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavrino-test-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    base = pattern;
    root = base / "power_supply";
    std::filesystem::create_directories(root);
}

FixtureTree::~FixtureTree() {
    std::error_code ignored;
    std::filesystem::remove_all(base, ignored);
}
