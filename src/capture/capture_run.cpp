// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/capture_run.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <ostream>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <glib.h>

#include "capture/identifiers.h"
#include "capture/supply_tree_read.h"
#include "capture/tree_writer.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

sigset_t stop_signals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

// A stop signal that has arrived, taken, or 0.
int pending_stop() {
    const sigset_t set = stop_signals();
    const timespec now{};
    const int signal = sigtimedwait(&set, nullptr, &now);
    return signal > 0 ? signal : 0;
}

std::string message(int error) { return std::error_code(error, std::generic_category()).message(); }

// The archive's name: the time of the capture, and nothing about the machine.
std::string capture_stamp() {
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

std::string counted(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The archive file, created new under a name nobody else has, and removed on every way out
// but success. Two captures in one second into one folder each get a name of their own.
struct ReservedArchive {
    int folder = -1;
    int fd = -1;
    std::string name;  // without ".tar.gz"
    bool keep = false;

    ReservedArchive() = default;
    ReservedArchive(const ReservedArchive&) = delete;
    ReservedArchive& operator=(const ReservedArchive&) = delete;
    ~ReservedArchive() {
        if (fd >= 0 && !keep) {
            // Only the file this run created: the name may meanwhile be someone else's.
            struct stat ours {}, there {};
            const std::string file = name + ".tar.gz";
            if (::fstat(fd, &ours) == 0 &&
                ::fstatat(folder, file.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
                ours.st_dev == there.st_dev && ours.st_ino == there.st_ino) {
                ::unlinkat(folder, file.c_str(), 0);
            }
        }
        if (fd >= 0) {
            ::close(fd);
        }
        if (folder >= 0) {
            ::close(folder);
        }
    }

    // Returns 0, or the errno of the failure.
    int reserve(const fs::path& output) {
        folder = ::open(output.empty() ? "." : output.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0) {
            return errno;
        }
        const std::string stamp = capture_stamp();
        for (int n = 1;; ++n) {
            name = n == 1 ? stamp : stamp + "-" + std::to_string(n);
            const std::string file = name + ".tar.gz";
            fd = ::openat(folder, file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0644);
            if (fd >= 0) {
                return 0;
            }
            if (errno != EEXIST || n >= 1000) {
                return errno;
            }
        }
    }
};

// A private folder (mode 0700) under $TMPDIR, removed with its contents on every way out.
struct StagingFolder {
    StagingFolder() {
        std::string pattern = (fs::path(g_get_tmp_dir()) / "tavrino-capture-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path = pattern;
            fd = ::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    ~StagingFolder() {
        if (fd >= 0) {
            ::close(fd);
        }
        std::error_code ignored;
        if (!path.empty()) {
            fs::remove_all(path, ignored);  // removes links, never what they lead to
        }
    }
    fs::path path;  // empty when it could not be made
    int fd = -1;
};

struct TarOutcome {
    int stop_signal = 0;  // a stop signal that ended the wait, or 0
    std::string error;    // why tar failed, or empty
};

// Runs tar to write `folder` (in `parent`) compressed to `archive_fd`, with numeric owners
// 0:0 so that no user or group name goes into it, and waits for it or for a stop signal.
TarOutcome run_tar(int archive_fd, const fs::path& parent, const std::string& folder) {
    const std::string parent_name = parent.string();
    const char* argv[] = {"tar", "--create", "--gzip", "--file=-", "--owner=0", "--group=0",
                          "--numeric-owner", "--sort=name", "--directory", parent_name.c_str(),
                          "--", folder.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, archive_fd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults = stop_signals();
    sigaddset(&defaults, SIGCHLD);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "tar", &actions, &attributes,
                                     const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        return {0, "cannot run tar: " + message(spawned)};
    }
    sigset_t wanted = stop_signals();
    sigaddset(&wanted, SIGCHLD);
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            break;
        }
        const int signal = sigwaitinfo(&wanted, nullptr);
        if (signal > 0 && signal != SIGCHLD) {
            ::kill(pid, SIGTERM);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return {signal, {}};
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return {};
    }
    return {0, WIFSIGNALED(status) ? "tar was ended by signal " + std::to_string(WTERMSIG(status))
                                   : "tar failed with status " + std::to_string(WEXITSTATUS(status))};
}

} // namespace

void block_capture_signals() {
    std::signal(SIGCHLD, SIG_DFL);  // an inherited "ignore" would reap tar before we could
    sigset_t set = stop_signals();
    sigaddset(&set, SIGCHLD);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

int run_capture(const CaptureOptions& options, std::ostream& out, std::ostream& err) {
    const std::string root = options.root.string();
    CapturedTree tree = read_supply_tree(options.root);
    if (!tree.listed || !tree.error.empty()) {
        err << "tavrino-capture: cannot copy " << root << ": " << tree.error << "\n";
        return 1;
    }
    replace_identifiers(tree);
    if (const int signal = pending_stop()) {
        return 128 + signal;
    }
    ReservedArchive archive;
    if (const int error = archive.reserve(options.output)) {
        err << "tavrino-capture: cannot write an archive in "
            << (options.output.empty() ? "." : options.output.string()) << ": " << message(error)
            << "\n";
        return 1;
    }
    const StagingFolder staging;
    if (staging.fd < 0) {
        err << "tavrino-capture: cannot create a private folder in " << g_get_tmp_dir() << "\n";
        return 1;
    }
    if (const std::string error = write_captured_tree(tree, staging.fd, archive.name);
        !error.empty()) {
        err << "tavrino-capture: " << error << " in " << staging.path.string() << "\n";
        return 1;
    }
    if (const int signal = pending_stop()) {
        return 128 + signal;
    }
    const TarOutcome tar = run_tar(archive.fd, staging.path, archive.name);
    if (tar.stop_signal != 0) {
        return 128 + tar.stop_signal;
    }
    if (!tar.error.empty() || ::fsync(archive.fd) != 0) {
        err << "tavrino-capture: " << (tar.error.empty() ? message(errno) : tar.error) << "\n";
        return 1;
    }
    if (const int signal = pending_stop()) {
        return 128 + signal;
    }
    archive.keep = true;
    const std::string file = (options.output / (archive.name + ".tar.gz")).string();
    out << "Wrote " << file << ": " << counted(tree.supplies, "power supply", "power supplies")
        << " from " << root << ", serial numbers replaced by " << kSerialPlaceholder << ", "
        << counted(tree.addresses, "device id", "device ids") << " by stand-ins, "
        << counted(tree.left_out, "link", "links") << " left out.\n"
        << "Attach it to your report. To show it, run:\n"
        << "  tar -xzf " << shell_word(file) << " && tavrino --sysfs-root="
        << shell_word(archive.name + "/" + kCopiedClassFolder) << "\n";
    return 0;
}
