// SPDX-License-Identifier: GPL-3.0-or-later
// capture_main.cpp: tavrino-capture, which packs this machine's power-supply tree into an
// archive that tavrino --sysfs-root= replays, for a bug report.
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>

#include <glib.h>

#include "app/version.h"
#include "capture/supply_tree_copy.h"
#include "capture/tar_archive.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kHelpText =
    "Usage: tavrino-capture [--root DIR] [--output DIR]\n"
    "Packs the power-supply tree, serial numbers replaced, into\n"
    "tavrino-capture-YYYYMMDD-HHMMSS.tar.gz for a bug report,\n"
    "and prints the command that shows it with tavrino --sysfs-root=.\n"
    "  --root DIR    read DIR instead of /sys/class/power_supply\n"
    "  --output DIR  write the archive into DIR instead of the current directory\n"
    "  --version, --help\n";

struct Options {
    fs::path root = "/sys/class/power_supply";
    fs::path output;  // empty: the current directory
};

// Accepts "--name VALUE" and "--name=VALUE"; advances i past a separate value.
bool take_value(std::string_view name, int argc, char** argv, int& i, fs::path& value) {
    const std::string_view arg = argv[i];
    if (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (arg != name || i + 1 >= argc) {
        return false;
    }
    value = argv[++i];
    return true;
}

// The archive's folder name: the time of the capture, and nothing about the machine.
std::string capture_name() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return std::string("tavrino-capture-") + stamp;
}

// The text as one shell word, quoted only when it needs to be.
std::string shell_word(const std::string& text) {
    if (!text.empty() &&
        text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                               "0123456789_-.,/:=+@%") == std::string::npos) {
        return text;
    }
    g_autofree gchar* quoted = g_shell_quote(text.c_str());
    return quoted;
}

// A private folder (mode 0700) under $TMPDIR, removed with its contents on every way out.
struct StagingFolder {
    StagingFolder() {
        std::string pattern = (fs::path(g_get_tmp_dir()) / "tavrino-capture-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path = pattern;
        }
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    ~StagingFolder() {
        std::error_code ignored;
        if (!path.empty()) {
            fs::remove_all(path, ignored);
        }
    }
    fs::path path;  // empty when it could not be made
};

int capture(const Options& options) {
    std::error_code error;
    if (!options.output.empty() && !fs::is_directory(options.output, error)) {
        std::cerr << "tavrino-capture: " << options.output.string() << " is not a folder\n";
        return 1;
    }
    // Two captures in the same second get "-2", "-3"...: nothing is overwritten.
    const std::string stamp = capture_name();
    std::string name = stamp;
    for (int n = 2; fs::exists(fs::symlink_status(options.output / (name + ".tar.gz"), error));
         ++n) {
        name = stamp + "-" + std::to_string(n);
    }
    const fs::path archive = options.output / (name + ".tar.gz");
    const StagingFolder staging;
    if (staging.path.empty()) {
        std::cerr << "tavrino-capture: cannot create a temporary folder in " << g_get_tmp_dir()
                  << "\n";
        return 1;
    }
    const TreeCopy copy = copy_supply_tree(options.root, staging.path / name);
    if (!copy.error.empty()) {
        std::cerr << "tavrino-capture: cannot copy " << options.root.string() << ": " << copy.error
                  << "\n";
        return 1;
    }
    if (const std::string failure = write_tar_gz(archive, staging.path, name); !failure.empty()) {
        std::cerr << "tavrino-capture: " << failure << "\n";
        return 1;
    }
    std::cout << "Wrote " << archive.string() << ": " << copy.supplies
              << (copy.supplies == 1 ? " power supply" : " power supplies") << " from "
              << options.root.string() << ", serial numbers replaced by " << kSerialPlaceholder
              << ".\n"
              << "Attach it to your report. To show it, run:\n"
              << "  tar -xzf " << shell_word(archive.string())
              << " && tavrino --sysfs-root=" << shell_word(name + "/" + kCopiedClassFolder) << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help") {
            std::cout << kHelpText;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "tavrino-capture " << kTavrinoVersion << "\n";
            return 0;
        }
        if (!take_value("--root", argc, argv, i, options.root) &&
            !take_value("--output", argc, argv, i, options.output)) {
            std::cerr << "tavrino-capture: unknown option or missing folder: " << arg
                      << "\nTry tavrino-capture --help\n";
            return 2;
        }
    }
    return capture(options);
}
