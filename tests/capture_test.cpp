// SPDX-License-Identifier: GPL-3.0-or-later
// Catches a capture that writes or reads outside its tree, keeps a device id, renders
// otherwise than its tree, takes an archive name that is not free, or leaves a partial
// archive or its private folder behind when it fails or is interrupted.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <glib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/case_folder.h"

namespace fs = std::filesystem;

namespace {

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> listing(const fs::path& folder) {
    std::vector<fs::path> entries(fs::directory_iterator(folder), {});
    std::sort(entries.begin(), entries.end());
    return entries;
}

struct ToolRun {
    int status = -1;
    std::string out;
};

// The capture tool run in `base`/out with TMPDIR `base`/tmp and a secret in its environment.
std::vector<std::string> capture_environment(const fs::path& base) {
    std::vector<std::string> env{"TMPDIR=" + (base / "tmp").string(),
                                 "TAVRINO_TEST_SECRET=env-token-5678", "LC_ALL=C",
                                 "PATH=" + (base / "bin").string() + ":/usr/bin:/bin"};
    return env;
}

ToolRun run_capture_tool(const fs::path& base, const std::vector<std::string>& args) {
    std::vector<std::string> env = capture_environment(base);
    std::vector<gchar*> argv{const_cast<gchar*>(TAVRINO_CAPTURE)}, envp;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<gchar*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    ToolRun run;
    g_autofree gchar* out = nullptr;
    gint wait_status = 0;
    const std::string cwd = (base / "out").string();
    EXPECT_TRUE(g_spawn_sync(cwd.c_str(), argv.data(), envp.data(), G_SPAWN_DEFAULT, nullptr,
                             nullptr, &out, nullptr, &wait_status, nullptr));
    run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 256 + WTERMSIG(wait_status);
    run.out = out != nullptr ? out : "";
    return run;
}

// The archive's name as the summary gives it, without ".tar.gz".
std::string archive_name(const std::string& out) {
    const std::size_t start = out.find("Wrote ");
    const std::size_t end = out.find(".tar.gz: ");
    return start == 0 && end != std::string::npos ? out.substr(6, end - 6) : std::string();
}

// Unpacks the archive into `into`, expecting one top folder named like it; returns it.
fs::path unpack(const fs::path& archive, const fs::path& into) {
    fs::create_directories(into);
    const std::string command = "tar -xzf '" + archive.string() + "' -C '" + into.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << archive;
    const std::string name = archive.filename().string();
    const std::vector<fs::path> top = listing(into);
    EXPECT_EQ(top.size(), 1U);
    EXPECT_EQ(top.empty() ? "" : top[0].filename().string() + ".tar.gz", name);
    return top.empty() ? into : top[0];
}

// Every name, link text and file of the unpacked tree, as one text in lower case.
std::string everything_in(const fs::path& folder) {
    std::string text;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        text += entry.path().string() + "\n";
        if (entry.is_symlink()) {
            text += fs::read_symlink(entry.path()).string() + "\n";
        } else if (entry.is_regular_file()) {
            text += read_file(entry.path());
        }
    }
    std::transform(text.begin(), text.end(), text.begin(), g_ascii_tolower);
    return text;
}

std::uintmax_t bytes_in(const fs::path& folder) {
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        bytes += entry.is_regular_file() && !entry.is_symlink() ? entry.file_size() : 0;
    }
    return bytes;
}

struct Canary {
    fs::path path;
    std::string bytes;
    fs::file_time_type time;
};

// Each folder under capture_cases is a hostile tree: its `setup` lays it out, its `checks`
// say what must hold beyond what always must (nothing left in TMPDIR, an archive that
// unpacks to one folder named like it, or none at all after a failure):
//   status N          the tool's exit status
//   says TEXT         the summary says TEXT (how many links were left out, ids replaced)
//   unchanged PATH    a file outside the tree that must keep its bytes and time
//   absent TEXT       nowhere in the archive, in any case (names, link texts, contents)
//   replay-same       the unpacked capture renders as the tree does
//   most-bytes N      the unpacked files hold at most N bytes
TEST(Capture, HostileTreesStayInsideAndRenderAsTheOriginal) {
    for (const fs::path& folder : listing(TAVRINO_CAPTURE_CASES_DIR)) {
        SCOPED_TRACE(folder.filename().string());
        PreparedCase prepared(folder);
        const fs::path& base = prepared.tree.base;
        fs::create_directories(base / "tmp");
        fs::create_directories(base / "out");
        const std::vector<fs::path> tmp_before = listing(base / "tmp");
        std::istringstream checks(read_file(folder / "checks"));
        std::vector<Canary> canaries;
        std::vector<std::pair<std::string, std::string>> wanted;
        for (std::string line; std::getline(checks, line);) {
            const std::size_t space = std::min(line.find(' '), line.size());
            const std::string key = line.substr(0, space);
            const std::string value = line.substr(std::min(space + 1, line.size()));
            if (key == "unchanged") {
                canaries.push_back({base / value, read_file(base / value),
                                    fs::last_write_time(base / value)});
            }
            wanted.emplace_back(key, value);
        }
        const ToolRun run = run_capture_tool(base, {"--root", prepared.root.string()});
        const std::string name = archive_name(run.out);
        EXPECT_EQ(listing(base / "tmp"), tmp_before) << "left in TMPDIR";
        EXPECT_EQ(listing(base / "out").size(), run.status == 0 ? 1U : 0U) << run.out;
        const fs::path copy = run.status == 0
                                  ? unpack(base / "out" / (name + ".tar.gz"), base / "unpacked")
                                  : fs::path();
        for (const Canary& canary : canaries) {
            EXPECT_EQ(read_file(canary.path), canary.bytes) << canary.path;
            EXPECT_EQ(fs::last_write_time(canary.path), canary.time) << canary.path;
        }
        for (const auto& [key, value] : wanted) {
            if (key == "status") {
                EXPECT_EQ(std::to_string(run.status), value) << run.out;
            } else if (key == "says") {
                EXPECT_NE(run.out.find(value), std::string::npos) << run.out;
            } else if (key == "absent" && !copy.empty()) {
                std::string lower = value;
                std::transform(lower.begin(), lower.end(), lower.begin(), g_ascii_tolower);
                EXPECT_EQ(everything_in(copy).find(lower), std::string::npos) << value;
            } else if (key == "most-bytes" && !copy.empty()) {
                EXPECT_LE(bytes_in(copy), std::stoull(value));
            } else if (key == "replay-same" && !copy.empty()) {
                EXPECT_EQ(live_rendering(copy / "sys/class/power_supply"),
                          live_rendering(prepared.root));
            } else if (key != "unchanged") {
                ADD_FAILURE() << "bad check: " << key;
            }
        }
    }
}

std::string stamp_in(int seconds) {
    const std::time_t then = std::time(nullptr) + seconds;
    std::tm local{};
    localtime_r(&then, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return std::string("tavrino-capture-") + stamp;
}

// Two captures into one folder while names of this second are taken: one is interrupted
// in tar (a stand-in that blocks until signalled), the other completes meanwhile. Each
// reserves a free name; the interrupted one removes its partial archive and private folder
// and exits 128 + SIGINT; the taken names and the one that completed stay as they were.
TEST(Capture, ReservesAFreeNameAndCleansUpWhenInterrupted) {
    FixtureTree tree;
    tree.add_supply("BAT0", {{"type", "Battery"}, {"energy_now", "30000000"}});
    const fs::path& base = tree.base;
    for (const char* folder : {"tmp", "out", "stand-in"}) {
        fs::create_directories(base / folder);
    }
    write_fixture_file(base / "canary", "canary\n");
    std::vector<std::string> taken;
    for (int s = 0; s < 6; ++s) {  // links, which a capture must neither follow nor replace
        taken.push_back(stamp_in(s) + ".tar.gz");
        fs::create_symlink(base / "canary", base / "out" / taken.back());
    }
    write_fixture_file(base / "stand-in/tar",
                       "#!/bin/sh\nprintf partial\n: >\"$TAVRINO_TEST_TAR_STARTED\"\nexec sleep 60\n");
    fs::permissions(base / "stand-in/tar", fs::perms::owner_all);

    std::vector<std::string> env = capture_environment(base);
    env.back() = "PATH=" + (base / "stand-in").string() + ":/usr/bin:/bin";
    env.push_back("TAVRINO_TEST_TAR_STARTED=" + (base / "started").string());
    const pid_t held = fork();
    if (held == 0) {
        setpgid(0, 0);  // a process group of its own, as a terminal's Ctrl+C would reach it
        std::vector<char*> envp;
        for (std::string& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        const std::string root = tree.root.string();
        if (chdir((base / "out").c_str()) == 0) {
            char* argv[] = {const_cast<char*>(TAVRINO_CAPTURE), const_cast<char*>("--root"),
                            const_cast<char*>(root.c_str()), nullptr};
            execve(argv[0], argv, envp.data());
        }
        _exit(127);
    }
    for (int i = 0; i < 1000 && !fs::exists(base / "started"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(fs::exists(base / "started"));
    EXPECT_EQ(listing(base / "tmp").size(), 1U);  // its private folder, while tar runs

    const ToolRun completed = run_capture_tool(base, {"--root", tree.root.string()});
    EXPECT_EQ(completed.status, 0) << completed.out;
    const std::string name = archive_name(completed.out);
    unpack(base / "out" / (name + ".tar.gz"), base / "unpacked");

    kill(-held, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(held, &status, 0), held);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGINT) << status;
    taken.push_back(name + ".tar.gz");
    std::sort(taken.begin(), taken.end());
    std::vector<std::string> left;
    for (const fs::path& entry : listing(base / "out")) {
        left.push_back(entry.filename());
    }
    EXPECT_EQ(left, taken);
    EXPECT_TRUE(listing(base / "tmp").empty());
    EXPECT_EQ(read_file(base / "canary"), "canary\n");
}

} // namespace
