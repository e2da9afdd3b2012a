// SPDX-License-Identifier: GPL-3.0-or-later
// case_folder.h: the folders under tests/cases, each a machine's power-supply tree (or a
// demo scenario) with its expected rendering as text, and the one text format of both.
#pragma once
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/supply_cache.h"
#include "presentation/capacity_unit.h"
#include "support/fixture_tree.h"

// Every case folder, in name order.
std::vector<std::filesystem::path> case_folders();

// A case copied into a fresh temporary directory, with its `setup` file applied: what git
// cannot hold is made here. Lines of `setup`:
//   demo NAME            the demo scenario NAME instead of a tree
//   root PATH            the reader's root, relative to the case (default power_supply)
//   fifo PATH            a FIFO in place of whatever is at PATH
//   sparse PATH BYTES    the file at PATH grown to BYTES, a hole of zeros
//   pad PATH BYTES       a first line of BYTES bytes (LF included) put before the file's
//   mkdir PATH
//   file PATH BYTES      a file of BYTES bytes of text lines
//   link PATH TEXT       a symbolic link; "@" at the start of TEXT is the case's absolute path
//   ordered-links FOLDER TEXT...  links met in the given order by a reader of the listing;
//                        "{k}" in a text names the k-th
//   repeat N COMMAND ... the command N times, "{n}" in it counting from 1
// Parent folders are made as needed. The case's files `checks`, `setup` and `expected.txt`
// are not copied.
struct PreparedCase {
    explicit PreparedCase(const std::filesystem::path& folder);
    // The demo scenario's snapshot, or one live pass over the tree with this cache.
    BatterySnapshot read(SupplyCache& cache) const;

    FixtureTree tree;
    std::filesystem::path root;  // the reader's root inside tree.base
    bool demo_mode = false;
    std::string demo_scenario;

  private:
    void apply_setup(const std::filesystem::path& folder, const std::string& command,
                     const std::string& arguments);
};

// One line "key: value"; a value's further lines follow as "  | line" ("  |" when empty).
void add_line(std::string& text, std::string_view key, std::string_view value);

// The whole rendering of a snapshot: the problem text, the batteries and whether a rescan
// was asked for, then one section per battery (or one for none), unit and page, each
// headed "[BAT0 · Wh · expanded]" and filled by page(battery index, unit, compact).
using PageText = std::function<std::string(std::size_t, CapacityUnit, bool)>;
std::string render_case(const BatterySnapshot& snapshot, bool rescan_requested,
                        const PageText& page);

// The core's rendering of a snapshot: expected.txt less the window's lines.
std::string core_rendering(const BatterySnapshot& snapshot, bool rescan_requested, bool demo_mode);

// One live pass over the tree at root, rendered by core_rendering.
std::string live_rendering(const std::filesystem::path& root);

// Expects actual to equal the file; TAVRINO_UPDATE_CASES=1 writes actual there instead.
void expect_file(const std::filesystem::path& path, const std::string& actual);

// Expects actual to equal the folder's expected.txt. With window_lines false, the lines
// only the window shows (fonts, tooltips, accessible names, the selector) are left out of
// the expected text first. TAVRINO_UPDATE_CASES=1 writes actual there instead (window_lines
// only); read every line of it before committing it.
void expect_rendering(const std::filesystem::path& folder, const std::string& actual,
                      bool window_lines);
