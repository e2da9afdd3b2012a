// SPDX-License-Identifier: GPL-3.0-or-later
// command_line_fuzz.cpp: option parsing never crashes and always ends in one of its three
// outcomes, whatever the arguments.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"

// The input is split at NUL bytes into arguments, as argv would hold them.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.emplace_back();
        } else {
            args.back().push_back(static_cast<char>(data[i]));
        }
    }
    std::vector<const char*> argv;
    argv.reserve(args.size());
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    const CommandLineResult result = parse_command_line(argv);
    if (result.run) {
        const std::int32_t q = result.settings.quit_after_seconds;
        if (q < 0 || q > 86400 || !result.stdout_text.empty() || !result.stderr_text.empty()) {
            std::abort();
        }
    } else if (result.exit_status == 0) {
        if (result.stdout_text.empty() || !result.stderr_text.empty()) {
            std::abort();
        }
    } else if (result.exit_status != 2 || result.stderr_text.empty() ||
               result.stderr_text.back() != '\n') {
        std::abort();
    }
    return 0;
}
