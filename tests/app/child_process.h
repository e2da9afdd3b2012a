// child_process.h: runs the built program as a child process and waits for it by polling.
#pragma once
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

// Environment changes on top of the test's own: a value sets, nullopt unsets.
using EnvChanges = std::map<std::string, std::optional<std::string>>;

struct Child {
    pid_t pid = -1;
    int stdout_fd = -1;
    int stderr_fd = -1;
};

struct ChildResult {
    bool exited = false;  // false: still running at the timeout (then killed) or signalled
    int status = -1;      // the exit status when exited
    std::string out;
    std::string err;
};

// Kills and reaps a child that is still running when it goes out of scope.
struct ChildGuard {
    explicit ChildGuard(Child& watched) : child(watched) {}
    ~ChildGuard();
    ChildGuard(const ChildGuard&) = delete;
    ChildGuard& operator=(const ChildGuard&) = delete;
    Child& child;
};

// Starts program (searched in PATH unless it contains a "/") with args (without the program name) and the changed environment.
Child start_child(const std::string& program, const std::vector<std::string>& args,
                  const EnvChanges& env = {});
// Waits up to timeout for the child to end; kills it if it does not.
ChildResult wait_for_child(Child& child, std::chrono::milliseconds timeout);
// Both in one, for runs that end by themselves.
ChildResult run_child(const std::string& program, const std::vector<std::string>& args,
                      const EnvChanges& env = {},
                      std::chrono::milliseconds timeout = std::chrono::seconds(30));
