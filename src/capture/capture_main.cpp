// SPDX-License-Identifier: GPL-3.0-or-later
// capture_main.cpp: tavrino-capture, which packs this machine's power-supply tree into an
// archive that tavrino --sysfs-root= replays, for a bug report.
#include <filesystem>
#include <iostream>
#include <string_view>

#include "app/version.h"
#include "capture/capture_run.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kHelpText =
    "Usage: tavrino-capture [--root DIR] [--output DIR]\n"
    "Packs the power-supply tree, serial numbers and device ids replaced, into\n"
    "tavrino-capture-YYYYMMDD-HHMMSS.tar.gz for a bug report,\n"
    "and prints the command that shows it with tavrino --sysfs-root=.\n"
    "  --root DIR    read DIR instead of /sys/class/power_supply\n"
    "  --output DIR  write the archive into DIR instead of the current directory\n"
    "  --version, --help\n";

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

} // namespace

int main(int argc, char** argv) {
    block_capture_signals();
    CaptureOptions options;
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
    return run_capture(options, std::cout, std::cerr);
}
