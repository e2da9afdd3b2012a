#include "app/child_process.h"

#include <array>
#include <csignal>
#include <stdexcept>
#include <thread>

#include <glib.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string read_all(int fd) {
    std::string text;
    std::array<char, 4096> buffer{};
    ssize_t n = 0;
    while ((n = read(fd, buffer.data(), buffer.size())) > 0) {
        text.append(buffer.data(), static_cast<std::size_t>(n));
    }
    return text;
}

}  // namespace

Child start_child(const std::string& program, const std::vector<std::string>& args,
                  const EnvChanges& env) {
    std::vector<gchar*> argv;
    argv.push_back(const_cast<gchar*>(program.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<gchar*>(arg.c_str()));
    }
    argv.push_back(nullptr);

    gchar** envp = g_get_environ();
    for (const auto& [name, value] : env) {
        envp = value ? g_environ_setenv(envp, name.c_str(), value->c_str(), TRUE)
                     : g_environ_unsetenv(envp, name.c_str());
    }

    Child child;
    GError* error = nullptr;
    const gboolean started = g_spawn_async_with_pipes(
        nullptr, argv.data(), envp, static_cast<GSpawnFlags>(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_SEARCH_PATH), nullptr, nullptr, &child.pid,
        nullptr, &child.stdout_fd, &child.stderr_fd, &error);
    g_strfreev(envp);
    if (!started) {
        const std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("cannot start " + program + ": " + message);
    }
    return child;
}

ChildResult wait_for_child(Child& child, std::chrono::milliseconds timeout) {
    ChildResult result;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(child.pid, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (done == 0) {
        kill(child.pid, SIGKILL);
        waitpid(child.pid, &status, 0);
    } else if (done == child.pid && WIFEXITED(status)) {
        result.exited = true;
        result.status = WEXITSTATUS(status);
    }
    // The child is gone, so its pipes end; what it wrote fits the pipe buffers.
    result.out = read_all(child.stdout_fd);
    result.err = read_all(child.stderr_fd);
    close(child.stdout_fd);
    close(child.stderr_fd);
    child = Child{};
    return result;
}

ChildResult run_child(const std::string& program, const std::vector<std::string>& args,
                      const EnvChanges& env, std::chrono::milliseconds timeout) {
    Child child = start_child(program, args, env);
    return wait_for_child(child, timeout);
}

ChildGuard::~ChildGuard() {
    if (child.pid > 0) {
        wait_for_child(child, std::chrono::milliseconds(0));
    }
}
