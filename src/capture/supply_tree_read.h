// SPDX-License-Identifier: GPL-3.0-or-later
// supply_tree_read.h: reads a power-supply class folder as the program reads it, taking
// nothing from outside the tree it belongs to.
#pragma once
#include <filesystem>

#include "capture/captured_tree.h"

// Reads the class folder `class_folder` and the supply folders its entries lead to.
//
// The tree is the folder the class folder's kernel links are relative to: the resolved
// class folder's "sys" when it ends in sys/class/power_supply (so an unpacked capture
// replays as itself), else its resolved parent. What lies inside is decided by resolved
// locations, never by a link's text alone:
// - a folder in the class folder is copied;
// - a link there is copied, with its folder, only when its text is relative and names the
//   place it resolves to, and that place lies inside the tree; a link that leads nowhere
//   (dangling, looping) stays a link when its text stays inside the tree; any other link is
//   left out and counted, and so is one to a place outside the class folder that the copy
//   would put in its own class folder (the tree's power_supply when the class folder is
//   named otherwise);
// - from each supply folder the regular files are read, with the program's own bounds,
//   and a linked file as its contents when it resolves inside the tree (else it is left
//   out and counted); subfolders, FIFOs and devices are left out, as the program ignores
//   them. Each source folder is read once, however many links lead to it.
// Everything is opened below a descriptor of the tree, one name at a time without
// following a link, so a tree that changes while it is read cannot lead the reading out.
CapturedTree read_supply_tree(const std::filesystem::path& class_folder);
