// SPDX-License-Identifier: GPL-3.0-or-later
// tree_writer.h: lays a captured tree out on disk without ever writing through a link.
#pragma once
#include <string>

#include "capture/captured_tree.h"

// Creates the folder `top_name` in the open folder `parent` and the tree in it: folders and
// files one name at a time relative to descriptors opened here, never following a link,
// files created new (never opened if something is there already), and the class folder's
// links last, as text. A name taken twice (two stand-ins or folders that meet) keeps its
// first comer, and the others are counted in tree.left_out. Returns an empty text on
// success, else why it failed; what was written stays for the caller to remove.
std::string write_captured_tree(CapturedTree& tree, int parent, const std::string& top_name);
