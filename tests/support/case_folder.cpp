#include "support/case_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "presentation/capacity_figures.h"
#include "presentation/reading_view.h"

namespace fs = std::filesystem;

namespace {

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool window_only(std::string_view line) {
    const std::string_view key = line.substr(0, line.find(':'));
    return key == "selector" || key == "window title" || key.ends_with(" font") ||
           key.ends_with(" tooltip") || key.ends_with(" name");
}

// The lines the core rendering has: window-only keys dropped with their continuation lines.
std::string without_window_lines(const std::string& text) {
    std::string kept;
    bool dropping = false;
    for (const std::string& line : lines_of(text)) {
        if (!line.starts_with("  ")) {
            dropping = window_only(line);
        }
        if (!dropping) {
            kept += line + "\n";
        }
    }
    return kept;
}

// "-" lines are expected only, "+" lines actual only, in order: enough to see what moved.
std::string line_diff(const std::string& expected, const std::string& actual) {
    const std::vector<std::string> a = lines_of(expected);
    const std::vector<std::string> b = lines_of(actual);
    std::vector<std::vector<int>> common(a.size() + 1, std::vector<int>(b.size() + 1, 0));
    for (std::size_t i = a.size(); i-- > 0;) {
        for (std::size_t j = b.size(); j-- > 0;) {
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1
                                        : std::max(common[i + 1][j], common[i][j + 1]);
        }
    }
    std::string diff;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            ++i, ++j;
        } else if (j < b.size() && (i == a.size() || common[i][j + 1] >= common[i + 1][j])) {
            diff += "+ " + b[j++] + "\n";
        } else {
            diff += "- " + a[i++] + "\n";
        }
    }
    return diff;
}

std::string expanded_lines(const ReadingView& view) {
    std::string text;
    char fraction[32];
    std::snprintf(fraction, sizeof fraction, "%.4f", charge_bar_fraction(view.charge_percent));
    const std::string bar = fraction;  // a char array would bind the table to a temporary
    const std::pair<const char*, const std::string&> lines[] = {
        {"caption", view.caption}, {"rate", view.rate_text},
        {"status", view.status_text}, {"title", view.title},
        {"percent", view.percent_text}, {"bar", bar},
        {"remaining", view.remaining_text}, {"full charge", view.full_charge_text},
        {"design capacity", view.design_capacity_text}, {"health", view.health_text},
        {"voltage", view.voltage_text}, {"notes", view.notes},
        {"details", view.details},
    };
    for (const auto& [key, value] : lines) {
        add_line(text, key, value);
    }
    return text;
}

} // namespace

std::vector<fs::path> case_folders() {
    std::vector<fs::path> folders;
    for (const fs::directory_entry& entry : fs::directory_iterator(TAVRINO_CASES_DIR)) {
        if (entry.is_directory()) {
            folders.push_back(entry.path());
        }
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

PreparedCase::PreparedCase(const fs::path& folder) {
    fs::remove(tree.root);
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != "expected.txt" && entry.path().filename() != "setup") {
            fs::copy(entry.path(), tree.base / entry.path().filename(),
                     fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        }
    }
    root = tree.root;
    std::istringstream setup(read_file(folder / "setup"));
    for (std::string line; std::getline(setup, line);) {
        std::istringstream words(line);
        std::string command;
        std::string path;
        words >> command >> path;
        if (command == "demo") {
            demo_mode = true;
            demo_scenario = path;
        } else if (command == "root") {
            root = tree.base / path;
        } else if (command == "fifo") {
            fs::remove(tree.base / path);
            EXPECT_EQ(mkfifo((tree.base / path).c_str(), 0600), 0) << line;
        } else if (command == "sparse") {
            std::uintmax_t bytes = 0;
            words >> bytes;
            fs::resize_file(tree.base / path, bytes);
        } else if (command == "pad") {  // a first line that makes the file this much longer
            std::size_t bytes = 0;
            words >> bytes;
            const std::string rest = read_file(tree.base / path);
            write_fixture_file(tree.base / path, std::string(bytes - 1, 'x') + "\n" + rest);
        } else if (command == "mkdir") {
            fs::create_directories(tree.base / path);
        } else if (!command.empty()) {
            ADD_FAILURE() << folder << ": unknown setup line: " << line;
        }
    }
}

void add_line(std::string& text, std::string_view key, std::string_view value) {
    // Further lines as "  | text", so no line of the file ends in a space an editor drops.
    std::string lead = std::string(key) + ":";
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(value.find('\n', start), value.size());
        const std::string_view line = value.substr(start, end - start);
        text.append(lead).append(line.empty() ? "" : " ").append(line).append("\n");
        if (end == value.size()) {
            break;
        }
        lead = "  |";
        start = end + 1;
    }
}

std::string snapshot_header(const BatterySnapshot& snapshot, bool rescan_requested) {
    std::string text;
    add_line(text, "problem", snapshot.error_message);
    std::string batteries;
    for (const BatteryReading& r : snapshot.readings) {
        batteries += (batteries.empty() ? "" : ", ") + r.id;
        if (r.name != r.id) {
            batteries += " (" + r.name + ")";
        }
    }
    add_line(text, "batteries", batteries);
    add_line(text, "rescan", rescan_requested ? "requested" : "no");
    return text;
}

std::string section_heading(const BatterySnapshot& snapshot, std::size_t reading, bool mah,
                            bool compact) {
    const std::string id =
        reading < snapshot.readings.size() ? snapshot.readings[reading].id : "no battery";
    return "\n[" + id + " · " + (mah ? "mAh" : "Wh") + " · " +
           (compact ? "compact" : "expanded") + "]\n";
}

std::string core_rendering(const BatterySnapshot& snapshot, bool rescan_requested,
                           bool demo_mode) {
    std::string text = snapshot_header(snapshot, rescan_requested);
    const std::size_t sections = std::max<std::size_t>(snapshot.readings.size(), 1);
    for (std::size_t i = 0; i < sections; ++i) {
        const std::string id = i < snapshot.readings.size() ? snapshot.readings[i].id : "";
        for (const CapacityUnit unit : {CapacityUnit::Wh, CapacityUnit::mAh}) {
            for (const bool compact : {false, true}) {
                const ReadingView view =
                    compute_reading_view(snapshot, unit, id, demo_mode, compact);
                text += section_heading(snapshot, i, unit == CapacityUnit::mAh, compact);
                if (compact) {
                    add_line(text, "rate", view.compact_rate_text);
                    add_line(text, "remaining", view.compact_remaining_text);
                } else {
                    text += expanded_lines(view);
                }
            }
        }
    }
    return text;
}

std::string live_rendering(const fs::path& root) {
    TreeCache cache(root);
    const BatterySnapshot snapshot = run_live_pass(cache);
    return core_rendering(snapshot, cache.rescan_requested, false);
}

void expect_rendering(const fs::path& folder, const std::string& actual, bool window_lines) {
    const fs::path path = folder / "expected.txt";
    const char* update = std::getenv("TAVRINO_UPDATE_CASES");
    if (update != nullptr && std::string(update) == "1" && window_lines) {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    std::string expected = read_file(path);
    if (!window_lines) {
        expected = without_window_lines(expected);
    }
    EXPECT_TRUE(actual == expected) << folder.filename() << " differs from expected.txt:\n"
                                    << line_diff(expected, actual);
}
