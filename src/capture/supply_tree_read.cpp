// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/supply_tree_read.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <system_error>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "acquisition/attribute_map.h"
#include "acquisition/bounded_file.h"

namespace fs = std::filesystem;

namespace {

class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Fd& operator=(Fd&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

// The names in a folder, sorted so that a capture does not depend on the listing order.
std::vector<std::string> names_in(int folder) {
    std::vector<std::string> names;
    const int listing_fd = ::dup(folder);
    if (listing_fd < 0) {
        return names;
    }
    DIR* listing = ::fdopendir(listing_fd);
    if (listing == nullptr) {
        ::close(listing_fd);
        return names;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    ::closedir(listing);
    std::sort(names.begin(), names.end());
    return names;
}

// True when `place` lies below `folder`, not at it. Both are resolved paths.
bool strictly_inside(const fs::path& place, const fs::path& folder) {
    const fs::path relative = place.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != ".." && relative != ".";
}

// The place a path resolves to, or empty with the reason in `error`.
fs::path resolved(const fs::path& path, std::error_code& error) {
    fs::path place = fs::canonical(path, error);
    return error ? fs::path() : place;
}

fs::path resolved(const fs::path& path) {
    std::error_code error;
    return resolved(path, error);
}

struct TreeReader {
    CapturedTree& tree;
    fs::path top;            // the tree, resolved
    fs::path class_folder;   // the class folder, resolved
    std::string tree_in_copy;  // where the tree lies in the copy
    Fd top_fd;
    std::set<fs::path> copied;
    std::string buffer;

    // Opens a place inside the tree one name at a time, following no link on the way.
    Fd open_inside(const fs::path& place, int last_flags) const {
        const fs::path relative = place.lexically_relative(top);
        Fd folder(::dup(top_fd.get()));
        for (auto name = relative.begin(); folder.get() >= 0 && name != relative.end(); ++name) {
            const bool last = std::next(name) == relative.end();
            const int flags = last ? last_flags : O_RDONLY | O_DIRECTORY;
            folder = Fd(::openat(folder.get(), name->c_str(), flags | O_NOFOLLOW | O_CLOEXEC));
        }
        return folder;
    }

    // Where a place inside the tree lies in the copy: the class folder's contents in the
    // copy's class folder, everything else where the kernel puts it under /sys.
    std::string place_in_copy(const fs::path& place) const {
        if (place == class_folder || strictly_inside(place, class_folder)) {
            return (fs::path(kCopiedClassFolder) / place.lexically_relative(class_folder))
                .lexically_normal()
                .string();
        }
        return (fs::path(tree_in_copy) / place.lexically_relative(top)).string();
    }

    // With a class folder named otherwise than power_supply, the tree's own power_supply
    // folder would lie where the copy's class folder lies: its folders would show up as
    // supplies in the replay, and a link that leads nowhere would lead to one of the copy's.
    bool lands_on_copied_class_folder(const fs::path& place) const {
        if (place == class_folder || strictly_inside(place, class_folder)) {
            return false;
        }
        const fs::path in_copy = place_in_copy(place);
        return in_copy == kCopiedClassFolder || strictly_inside(in_copy, kCopiedClassFolder);
    }

    void add_file(const std::string& path, std::string bytes) {
        if (tree.bytes + bytes.size() > kMaxCaptureBytes) {
            if (tree.error.empty()) {
                tree.error = "the tree holds more than " +
                             std::to_string(kMaxCaptureBytes / (1024 * 1024)) +
                             " MiB of attribute files";
            }
            return;
        }
        tree.bytes += bytes.size();
        tree.files.push_back({path, std::move(bytes)});
    }

    // The bytes the program would take from an open file, or false when it would not read
    // it. uevent is read up to kMaxFileBytes and, when longer, cut after its last whole
    // line: the program drops the cut line, and a copy of exactly the limit would not tell
    // it so. Other files are read as far as the program reads an attribute: one line over
    // the longest.
    bool read_file(int fd, const std::string& name, std::string& bytes) {
        const bool uevent = name == "uevent";
        const BoundedRead read =
            read_open_file(fd, buffer, uevent ? kMaxFileBytes : kMaxLineBytes + 1);
        if (!read.opened) {
            return false;
        }
        bytes = uevent ? std::string(whole_lines(buffer, read)) : buffer.substr(0, read.size);
        return true;
    }

    void copy_folder(const fs::path& place) {
        if (!tree.error.empty() || !copied.insert(place).second) {
            return;
        }
        const Fd folder = open_inside(place, O_RDONLY | O_DIRECTORY);
        if (folder.get() < 0) {
            return;  // gone since it was resolved
        }
        const std::string in_copy = place_in_copy(place);
        tree.folders.push_back(in_copy);
        ++tree.supplies;
        for (const std::string& name : names_in(folder.get())) {
            struct stat st {};
            if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                continue;
            }
            Fd file;
            if (S_ISREG(st.st_mode)) {
                file = Fd(::openat(folder.get(), name.c_str(),
                                   O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
            } else if (S_ISLNK(st.st_mode)) {
                // The program follows a linked attribute file; the copy holds its contents
                // when it lies inside the tree.
                const fs::path target = resolved(place / name);
                if (target.empty()) {
                    continue;
                }
                if (!strictly_inside(target, top)) {
                    ++tree.left_out;
                    continue;
                }
                file = open_inside(target, O_RDONLY | O_NONBLOCK | O_NOCTTY);
            }
            std::string bytes;
            if (file.get() >= 0 && read_file(file.get(), name, bytes)) {
                add_file(in_copy + "/" + name, std::move(bytes));
            }
        }
    }

    void copy_link(const std::string& name) {
        const fs::path link = class_folder / name;
        std::error_code error;
        const fs::path text = fs::read_symlink(link, error);
        if (error) {
            return;
        }
        const fs::path leads_to = (class_folder / text).lexically_normal();
        const fs::path target = resolved(link);
        if (target.empty()) {
            // Dangling or looping: the program finds nothing there either, so the copy
            // keeps the link as long as its text cannot lead out of the copy.
            if (text.is_relative() && strictly_inside(leads_to, top) &&
                !lands_on_copied_class_folder(leads_to)) {
                tree.links.push_back({name, text.string()});
            } else {
                ++tree.left_out;
            }
            return;
        }
        if (text.is_absolute() || leads_to != target || !strictly_inside(target, top) ||
            lands_on_copied_class_folder(target)) {
            ++tree.left_out;
            return;
        }
        if (!fs::is_directory(target, error)) {
            return;  // the program reads only folders
        }
        copy_folder(target);
        const fs::path in_copy = place_in_copy(target);
        tree.links.push_back(
            {name, fs::path(in_copy).lexically_relative(kCopiedClassFolder).string()});
    }
};

} // namespace

CapturedTree read_supply_tree(const fs::path& class_folder) {
    CapturedTree tree;
    std::error_code error;
    TreeReader reader{tree, {}, resolved(class_folder, error), {}, Fd(), {}, {}};
    if (reader.class_folder.empty()) {
        tree.error = error.message();
        return tree;
    }
    const fs::path& resolved_class = reader.class_folder;
    const bool sysfs_layout = resolved_class.filename() == "power_supply" &&
                              resolved_class.parent_path().filename() == "class" &&
                              resolved_class.parent_path().parent_path().filename() == "sys";
    reader.top = sysfs_layout ? resolved_class.parent_path().parent_path()
                              : resolved_class.parent_path();
    reader.tree_in_copy = sysfs_layout ? "sys" : "sys/class";
    reader.top_fd = Fd(::open(reader.top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const Fd class_fd = reader.top == resolved_class
                            ? Fd(::dup(reader.top_fd.get()))
                            : reader.open_inside(resolved_class, O_RDONLY | O_DIRECTORY);
    if (class_fd.get() < 0) {
        tree.error = std::error_code(errno, std::generic_category()).message();
        return tree;
    }
    tree.listed = true;
    for (const std::string& name : names_in(class_fd.get())) {
        struct stat st {};
        if (::fstatat(class_fd.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            reader.copy_folder(resolved_class / name);
        } else if (S_ISLNK(st.st_mode)) {
            reader.copy_link(name);
        }
    }
    return tree;
}
