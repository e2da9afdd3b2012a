// SPDX-License-Identifier: GPL-3.0-or-later
// captured_tree.h: what tavrino-capture takes from a power-supply tree, held in memory
// between reading the tree and writing the copy, so that identifiers can be replaced
// consistently in every place before anything is written.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The copy's class folder inside its top folder, where it lies under /sys, so the kernel's
// relative links (../../devices/...) keep their text.
inline constexpr const char* kCopiedClassFolder = "sys/class/power_supply";

// Stands in for every serial number, so that a copy identifies neither a battery nor its
// owner. The program shows no serial number, so the copy renders as the original does.
inline constexpr const char* kSerialPlaceholder = "REMOVED";

// What one capture may hold before compression: a few hundred full uevent files, far more
// than any machine has, and little enough to mail.
inline constexpr std::size_t kMaxCaptureBytes = 16 * 1024 * 1024;

// Paths are relative to the copy's top folder, with "/" between names that are never
// empty, "." or "..".
struct CapturedFile {
    std::string path;
    std::string bytes;
};

struct CapturedLink {
    std::string name;  // in the class folder
    std::string text;  // relative, leading to a copied folder or, as in the tree, nowhere
};

struct CapturedTree {
    bool listed = false;               // the class folder could be opened and listed
    std::vector<std::string> folders;  // each copied supply folder once, in reading order
    std::vector<CapturedFile> files;   // the files of those folders, as the program reads them
    std::vector<CapturedLink> links;   // the class folder's links, made after everything else
    int supplies = 0;                  // supply folders copied
    int left_out = 0;   // links leading outside the tree, or elsewhere than their text says
    int addresses = 0;  // distinct device addresses and HID ids given stand-ins
    std::size_t bytes = 0;  // the files' bytes, at most kMaxCaptureBytes
    std::string error;      // empty, or why the capture cannot be made
};
