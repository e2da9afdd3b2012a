// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/case_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "acquisition/demo_scenarios.h"
#include "presentation/capacity_figures.h"
#include "presentation/note_list.h"
#include "presentation/reading_view.h"

namespace fs = std::filesystem;

namespace {

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The window-only keys, each with its continuation lines, dropped.
std::string without_window_lines(const std::string& text) {
    std::istringstream in(text);
    std::string kept;
    bool dropping = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("  |")) {
            const std::string key = line.substr(0, line.find(':'));
            dropping = key == "selector" || key.ends_with(" font") ||
                       key.ends_with(" tooltip") || key.ends_with(" name");
        }
        if (!dropping) {
            kept += line + "\n";
        }
    }
    return kept;
}

// In `folder`, links L1, L2... whose texts are given in the order in which the folder lists
// them, "{k}" standing for the name listed k-th: a reader that follows the listing meets
// them in this order, whatever order names have on this file system.
void make_ordered_links(const fs::path& folder, const std::vector<std::string>& texts) {
    const auto listing = [&] {
        std::vector<std::string> names;
        for (const fs::path& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.filename());
        }
        return names;
    };
    fs::create_directories(folder);
    for (std::size_t i = 1; i <= texts.size(); ++i) {
        fs::create_symlink("x", folder / ("L" + std::to_string(i)));
    }
    const std::vector<std::string> order = listing();
    ASSERT_EQ(order.size(), texts.size()) << folder << " must hold only these links";
    for (std::size_t i = 1; i <= texts.size(); ++i) {
        fs::remove(folder / ("L" + std::to_string(i)));
    }
    for (std::size_t i = 1; i <= texts.size(); ++i) {  // the same names in the same order
        const std::string name = "L" + std::to_string(i);
        std::string text = texts[std::find(order.begin(), order.end(), name) - order.begin()];
        for (std::size_t k = 1; k <= order.size(); ++k) {
            const std::string mark = "{" + std::to_string(k) + "}";
            for (std::size_t at; (at = text.find(mark)) != std::string::npos;) {
                text.replace(at, mark.size(), order[k - 1]);
            }
        }
        fs::create_symlink(text, folder / name);
    }
    ASSERT_EQ(listing(), order) << folder << ": the listing order changed";
}

} // namespace

std::vector<fs::path> case_folders() {
    std::vector<fs::path> folders(fs::directory_iterator(TAVRINO_CASES_DIR), {});
    std::sort(folders.begin(), folders.end());
    return folders;
}

PreparedCase::PreparedCase(const fs::path& folder) : root(tree.root) {
    fs::remove(tree.root);
    for (const fs::path& entry : fs::directory_iterator(folder)) {
        if (entry.filename() != "expected.txt" && entry.filename() != "setup" &&
            entry.filename() != "checks") {
            fs::copy(entry, tree.base / entry.filename(),
                     fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        }
    }
    std::istringstream setup(read_file(folder / "setup"));
    for (std::string line; std::getline(setup, line);) {
        std::istringstream words(line);
        std::string command;
        int count = 1;
        if (words >> command && command == "repeat" && words >> count >> command) {
            std::getline(words, line);
            for (int n = 1; n <= count; ++n) {  // {n} counts up from 1
                std::string each = line;
                for (std::size_t at; (at = each.find("{n}")) != std::string::npos;) {
                    each.replace(at, 3, std::to_string(n));
                }
                apply_setup(folder, command, each);
            }
        } else if (!command.empty()) {
            std::getline(words, line);
            apply_setup(folder, command, line);
        }
    }
}

void PreparedCase::apply_setup(const fs::path& folder, const std::string& command,
                               const std::string& arguments) {
    std::istringstream words(arguments);
    std::string path;
    words >> path;
    const fs::path at = tree.base / path;
    std::uintmax_t bytes = 0;
    std::vector<std::string> texts;
    for (std::string text; words >> text;) {  // "@" stands for the case's absolute path
        texts.push_back(text.starts_with("@") ? tree.base.string() + text.substr(1) : text);
    }
    const bool with_bytes = texts.size() == 1 && std::istringstream(texts[0]) >> bytes;
    if (command != "demo" && command != "root") {
        fs::create_directories(at.parent_path());
    }
    if (command == "demo") {
        demo_mode = true;
        demo_scenario = path;
    } else if (command == "root") {
        root = at;
    } else if (command == "fifo") {
        fs::remove(at);
        EXPECT_EQ(mkfifo(at.c_str(), 0600), 0) << at;
    } else if (command == "sparse" && with_bytes) {
        fs::resize_file(at, bytes);
    } else if (command == "pad" && with_bytes) {
        write_fixture_file(at, std::string(bytes - 1, 'x') + "\n" + read_file(at));
    } else if (command == "file" && with_bytes) {  // lines of counting text
        std::string text;
        for (std::size_t n = 0; text.size() < bytes; ++n) {
            text += std::to_string(n * 7919 % 104729) + "\n";
        }
        write_fixture_file(at, text.substr(text.size() - bytes));
    } else if (command == "mkdir") {
        fs::create_directories(at);
    } else if (command == "link" && texts.size() == 1) {
        fs::create_symlink(texts[0], at);
    } else if (command == "ordered-links") {
        make_ordered_links(at, texts);
    } else {
        ADD_FAILURE() << folder << ": bad setup line: " << command << arguments;
    }
}

BatterySnapshot PreparedCase::read(SupplyCache& cache) const {
    cache.root = root;
    return demo_mode ? build_demo_snapshot(demo_scenario) : run_live_pass(cache);
}

void add_line(std::string& text, std::string_view key, std::string_view value) {
    // Further lines as "  | text", so no line of the file ends in a space an editor drops.
    std::string lead = std::string(key) + ":";
    for (std::size_t start = 0, end = 0; end != value.size(); start = end + 1) {
        end = std::min(value.find('\n', start), value.size());
        const std::string_view line = value.substr(start, end - start);
        text.append(lead).append(line.empty() ? "" : " ").append(line).append("\n");
        lead = "  |";
    }
    if (value.empty()) {
        text.append(lead).append("\n");
    }
}

std::string render_case(const BatterySnapshot& snapshot, bool rescan_requested,
                        const PageText& page) {
    std::string text;
    std::string batteries;
    for (const BatteryReading& r : snapshot.readings) {
        batteries += (batteries.empty() ? "" : ", ") + r.id;
        batteries += r.name != r.id ? " (" + r.name + ")" : "";
    }
    add_line(text, "problem", snapshot.error_message);
    add_line(text, "batteries", batteries);
    add_line(text, "rescan", rescan_requested ? "requested" : "no");
    for (std::size_t i = 0; i < std::max<std::size_t>(snapshot.readings.size(), 1); ++i) {
        const std::string id = i < snapshot.readings.size() ? snapshot.readings[i].id : "no battery";
        for (const CapacityUnit unit : {CapacityUnit::Wh, CapacityUnit::mAh}) {
            for (const bool compact : {false, true}) {
                text += "\n[" + id + " · " + (unit == CapacityUnit::mAh ? "mAh" : "Wh") + " · " +
                        (compact ? "compact" : "expanded") + "]\n" + page(i, unit, compact);
            }
        }
    }
    return text;
}

std::string core_rendering(const BatterySnapshot& snapshot, bool rescan_requested, bool demo_mode) {
    const auto page = [&](std::size_t i, CapacityUnit unit, bool compact) {
        const std::string id = i < snapshot.readings.size() ? snapshot.readings[i].id : "";
        const ReadingView v = compute_reading_view(snapshot, unit, id, demo_mode, compact);
        std::string text;
        if (compact) {
            add_line(text, "rate", v.compact_rate_text);
            add_line(text, "remaining", v.compact_remaining_text);
            return text;
        }
        char bar[16];
        std::snprintf(bar, sizeof bar, "%.4f", charge_bar_fraction(v.charge_percent));
        for (const auto& [key, value] : {std::pair{"caption", v.caption}, {"rate", v.rate_text},
                 {"status", v.status_text}, {"title", v.title}, {"percent", v.percent_text},
                 {"bar", std::string(bar)}, {"remaining", v.remaining_text},
                 {"full charge", v.full_charge_text}, {"design capacity", v.design_capacity_text},
                 {"health", v.health_text}, {"voltage", v.voltage_text}, {"notes", join_notes(v.notes)},
                 {"details", v.details}}) {
            add_line(text, key, value);
        }
        return text;
    };
    return render_case(snapshot, rescan_requested, page);
}

std::string live_rendering(const fs::path& root) {
    TreeCache cache(root);
    const BatterySnapshot snapshot = run_live_pass(cache);
    return core_rendering(snapshot, cache.rescan_requested, false);
}

void expect_file(const fs::path& path, const std::string& actual) {
    const char* update = std::getenv("TAVRINO_UPDATE_CASES");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    EXPECT_EQ(actual, read_file(path)) << path;
}

void expect_rendering(const fs::path& folder, const std::string& actual, bool window_lines) {
    if (window_lines) {
        expect_file(folder / "expected.txt", actual);
    } else {
        EXPECT_EQ(actual, without_window_lines(read_file(folder / "expected.txt"))) << folder;
    }
}
