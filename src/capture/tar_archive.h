// SPDX-License-Identifier: GPL-3.0-or-later
// tar_archive.h: a compressed archive of one folder, written by the system's tar.
#pragma once
#include <filesystem>
#include <string>

// Writes `folder` (a name inside `parent`) to the gzip-compressed tar file `archive`, with
// numeric owners 0:0 so that no user or group name goes into it. Returns an empty text on
// success, else why it failed; a partly written archive is removed.
std::string write_tar_gz(const std::filesystem::path& archive, const std::filesystem::path& parent,
                         const std::string& folder);
