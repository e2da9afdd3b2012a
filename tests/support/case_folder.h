// case_folder.h: the folders under tests/cases, each a machine's power-supply tree (or a
// demo scenario) with its expected rendering as text, and the one text format of both.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/battery_snapshot.h"
#include "support/fixture_tree.h"

// Every case folder, in name order.
std::vector<std::filesystem::path> case_folders();

// A case copied into a fresh temporary directory, with its `setup` file applied: what git
// cannot hold (FIFOs, huge sparse files, empty directories) is made here.
//   demo NAME            the demo scenario NAME instead of a tree
//   root PATH            the reader's root, relative to the case (default power_supply)
//   fifo PATH            a FIFO in place of whatever is at PATH
//   sparse PATH BYTES    the file at PATH grown to BYTES, a hole of zeros
//   pad PATH BYTES       a first line of BYTES bytes (LF included) put before the file's
//   mkdir PATH
struct PreparedCase {
    explicit PreparedCase(const std::filesystem::path& folder);
    FixtureTree tree;
    std::filesystem::path root;  // the reader's root inside tree.base
    bool demo_mode = false;
    std::string demo_scenario;
};

// One line "key: value"; a value's further lines follow as "  | line" ("  |" when empty).
void add_line(std::string& text, std::string_view key, std::string_view value);

// The lines every rendering starts with: the problem text, the batteries and whether the
// pass asked for a rescan.
std::string snapshot_header(const BatterySnapshot& snapshot, bool rescan_requested);

// "[BAT0 · Wh · expanded]", or "[no battery · ...]" for a snapshot without readings.
std::string section_heading(const BatterySnapshot& snapshot, std::size_t reading, bool mah,
                            bool compact);

// The core's rendering of a snapshot: the header, then each battery (or none) in Wh and
// mAh, expanded and compact; expected.txt less the window's lines.
std::string core_rendering(const BatterySnapshot& snapshot, bool rescan_requested,
                           bool demo_mode);

// One live pass over the tree at root, rendered by core_rendering.
std::string live_rendering(const std::filesystem::path& root);

// Fails the running test with a line diff unless actual equals the folder's expected.txt.
// TAVRINO_UPDATE_CASES=1 writes actual there instead (read it before committing it).
// With window_lines false, the lines only the window shows (fonts, tooltips, accessible
// names, the selector and the window title) are left out of the expected text first.
void expect_rendering(const std::filesystem::path& folder, const std::string& actual,
                      bool window_lines);
