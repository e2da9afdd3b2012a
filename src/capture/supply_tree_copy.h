// SPDX-License-Identifier: GPL-3.0-or-later
// supply_tree_copy.h: a copy of a power-supply class folder that the program, pointed at it
// with --sysfs-root=, reads exactly as it reads the original.
#pragma once
#include <filesystem>
#include <string>

// The copy's class folder inside its top folder, where it lies under /sys, so the kernel's
// relative links (../../devices/...) keep their text.
inline constexpr const char* kCopiedClassFolder = "sys/class/power_supply";

// Stands in for every serial number, so that a copy identifies neither a battery nor its
// owner. The program shows no serial number, so the copy renders as the original does.
inline constexpr const char* kSerialPlaceholder = "REMOVED";

struct TreeCopy {
    bool listed = false;  // the class folder could be listed
    int supplies = 0;     // supply folders copied
    std::string error;    // empty, or why the listing or a write failed
};

// Copies the class folder `root` into top/kCopiedClassFolder, creating top. A symbolic link
// stays a link with the same text, and the folder it leads to is copied where that text
// leads inside top; a link that would leave top becomes a plain folder. Links that lead
// nowhere (dangling, looping) are kept as they are, links to anything but a folder are left
// out, as are entries that are neither links nor folders: the program skips those too.
// From each supply folder only the regular files are read, with the program's own bounds,
// and written as the program would see them; links, subfolders, FIFOs and devices in it,
// and files that cannot be opened (root-only ones), are left out.
TreeCopy copy_supply_tree(const std::filesystem::path& root, const std::filesystem::path& top);
