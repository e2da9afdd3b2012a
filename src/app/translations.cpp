// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translations.h"

#include <clocale>
#include <string>

#include <glib.h>
#include <glib/gi18n-lib.h>

#include "app/locale_dirs.h"

namespace {

// The catalogues are looked for relative to the executable first, so that a build tree
// (whose tests run the built program) and a relocated install find their own, and an
// installed program finds the same folder as configured. The configured folder is the
// fallback when the executable's path cannot be read or the folder is not there.
std::string catalogue_folder() {
    g_autofree gchar* executable = g_file_read_link("/proc/self/exe", nullptr);
    if (executable != nullptr) {
        g_autofree gchar* bin_dir = g_path_get_dirname(executable);
        g_autofree gchar* beside = g_build_filename(bin_dir, kLocaleDirFromBinDir, nullptr);
        if (g_file_test(beside, G_FILE_TEST_IS_DIR)) {
            return beside;
        }
    }
    return kConfiguredLocaleDir;
}

}  // namespace

void use_user_language() {
    std::setlocale(LC_ALL, "");
    bindtextdomain(GETTEXT_PACKAGE, catalogue_folder().c_str());
    // GTK wants UTF-8 whatever the locale's own character set.
    bind_textdomain_codeset(GETTEXT_PACKAGE, "UTF-8");
    // As the default domain it also tells GLib whether to translate GTK's own texts: not
    // when this program has no catalogue for the language, so one window speaks one
    // language.
    textdomain(GETTEXT_PACKAGE);
}
