// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/tar_archive.h"

#include <system_error>

#include <glib.h>

std::string write_tar_gz(const std::filesystem::path& archive, const std::filesystem::path& parent,
                         const std::string& folder) {
    // tar opens the archive before it follows -C, so a relative name still means ours.
    const std::string archive_name = std::filesystem::absolute(archive).string();
    const std::string parent_name = parent.string();
    const char* argv[] = {"tar", "--create", "--gzip", "--file", archive_name.c_str(),
                          "--owner=0", "--group=0", "--numeric-owner", "--sort=name",
                          "--directory", parent_name.c_str(), "--", folder.c_str(), nullptr};
    g_autoptr(GError) error = nullptr;
    gint wait_status = 0;
    // tar's own messages go to our standard error as they are.
    if (g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_SEARCH_PATH, nullptr,
                     nullptr, nullptr, nullptr, &wait_status, &error) &&
        g_spawn_check_wait_status(wait_status, &error)) {
        return {};
    }
    std::error_code ignored;
    std::filesystem::remove(archive, ignored);
    return std::string("tar failed: ") + error->message;
}
