// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/tree_writer.h"

#include <cerrno>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string failure(const std::string& what) {
    return "cannot create " + what + ": " + std::error_code(errno, std::generic_category()).message();
}

// Makes (when missing) and opens the folder `path` below `top`, one name at a time. Returns
// -1 with errno set when a name is taken by anything but a folder, or cannot be made.
int open_folder(int top, std::string_view path) {
    int folder = ::dup(top);
    while (folder >= 0 && !path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string name(path.substr(0, slash));
        path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
        if (::mkdirat(folder, name.c_str(), 0755) != 0 && errno != EEXIST) {
            ::close(folder);
            return -1;
        }
        const int next = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int saved = errno;
        ::close(folder);
        errno = saved;
        folder = next;
    }
    return folder;
}

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
}

// A name already taken is a collision, counted; anything else is a failure.
bool taken(int error) { return error == EEXIST || error == ENOTDIR || error == ELOOP; }

} // namespace

std::string write_captured_tree(CapturedTree& tree, int parent, const std::string& top_name) {
    if (::mkdirat(parent, top_name.c_str(), 0755) != 0) {
        return failure(top_name);
    }
    const int top = ::openat(parent, top_name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (top < 0) {
        return failure(top_name);
    }
    std::string error;
    const int class_folder = open_folder(top, kCopiedClassFolder);
    if (class_folder < 0) {
        error = failure(kCopiedClassFolder);
    }
    for (const std::string& path : tree.folders) {
        const int folder = error.empty() ? open_folder(top, path) : -1;
        if (folder >= 0) {
            ::close(folder);
        } else if (error.empty() && !taken(errno)) {
            error = failure(path);
        }
    }
    for (const CapturedFile& file : tree.files) {
        if (!error.empty()) {
            break;
        }
        const std::size_t slash = file.path.rfind('/');
        const int folder = open_folder(top, std::string_view(file.path).substr(0, slash));
        const int fd = folder < 0 ? -1
                                  : ::openat(folder, file.path.c_str() + slash + 1,
                                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                             0644);
        const int saved = errno;
        if (fd >= 0) {
            const bool wrote = write_all(fd, file.bytes);
            if (::close(fd) != 0 || !wrote) {
                error = failure(file.path);
            }
        } else if (taken(saved)) {
            ++tree.left_out;
        } else {
            errno = saved;
            error = failure(file.path);
        }
        if (folder >= 0) {
            ::close(folder);
        }
    }
    for (const CapturedLink& link : tree.links) {
        if (!error.empty()) {
            break;
        }
        if (::symlinkat(link.text.c_str(), class_folder, link.name.c_str()) != 0) {
            if (taken(errno)) {
                ++tree.left_out;
            } else {
                error = failure(std::string(kCopiedClassFolder) + "/" + link.name);
            }
        }
    }
    if (class_folder >= 0) {
        ::close(class_folder);
    }
    ::close(top);
    return error;
}
