// SPDX-License-Identifier: GPL-3.0-or-later
// translations.h: the user's locale and the program's message catalogues.
#pragma once

// Sets every locale category from the environment and binds the "tavrino" text domain,
// with UTF-8 output, to the catalogues beside the executable or else to the configured
// locale folder. Call first in main(), before any text is made: the command line's
// messages are printed before GTK starts.
void use_user_language();
