// SPDX-License-Identifier: GPL-3.0-or-later
// main.cpp: the entry point of the tavrino executable.
#include "app/lifecycle.h"
#include "app/translations.h"

int main(int argc, char** argv) {
    use_user_language();
    return run_program(argc, argv);
}
