// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/lifecycle.h"

#include <cstdio>
#include <memory>
#include <span>

#include <glib/gi18n-lib.h>

#include "acquisition/reader_thread.h"
#include "app/app_state.h"
#include "app/command_line.h"
#include "app/unit_preference.h"
#include "presentation/main_window.h"
#include "presentation/view_mode.h"
#include "terminal/print_run.h"

namespace {

void apply_theme(const std::string& theme) {
    if (theme != "dark" && theme != "light") {
        return;
    }
    g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme",
                 theme == "dark" ? TRUE : FALSE, nullptr);
}

}  // namespace

bool start_gtk() {
    // Software rendering: a battery monitor has no use for an OpenGL context. A value the
    // user set stays.
    g_setenv("GDK_GL", "disable", FALSE);
    // X11 first: on a desktop offering both, the program runs as an X11 client.
    gdk_set_allowed_backends("x11,wayland");
    return gtk_init_check(nullptr, nullptr) != FALSE;
}

void on_window_destroy(GtkWidget* /*widget*/, gpointer data) {
    auto* state = static_cast<AppState*>(data);
    state->window_destroyed = true;
    if (state->tick_source != 0) {
        g_source_remove(state->tick_source);
        state->tick_source = 0;
    }
    gtk_main_quit();
}

gboolean on_quit_after(gpointer data) {
    auto* state = static_cast<AppState*>(data);
    if (!state->window_destroyed) {
        gtk_widget_destroy(state->window);
    }
    return FALSE;
}

int run_program(int argc, char** argv) {
    const std::span<const char* const> args(argv + (argc > 0 ? 1 : 0),
                                            argc > 0 ? static_cast<size_t>(argc - 1) : 0);
    CommandLineResult parsed = parse_command_line(args);
    if (!parsed.run) {
        std::fputs(parsed.stdout_text.c_str(), stdout);
        std::fputs(parsed.stderr_text.c_str(), stderr);
        return parsed.exit_status;
    }
    const StartupSettings& settings = parsed.settings;
    // The terminal face: before anything touches GDK, so it runs without a display.
    if (settings.print_form != PrintForm::none) {
        return run_print(settings);
    }

    if (!start_gtk()) {
        std::fputs(_("Tavrino needs a graphical Linux desktop (X11 or Wayland)."), stderr);
        std::fputc('\n', stderr);
        return 1;
    }

    AppState state;
    init_app_state(state);
    state.supply_cache = std::make_unique<SupplyCache>();
    state.supply_cache->root = settings.sysfs_root;
    state.demo_scenario = settings.demo_scenario;
    state.demo_mode = settings.demo_given;
    state.unit = choose_unit(settings);

    g_set_application_name("Tavrino");
    g_set_prgname("tavrino");
    apply_theme(settings.theme);

    build_main_window(state);
    if (settings.start_compact) {
        toggle_view_mode(&state);
    }
    start_reader(state);
    if (settings.quit_after_seconds > 0) {
        g_timeout_add_seconds(static_cast<guint>(settings.quit_after_seconds), on_quit_after,
                              &state);
    }

    gtk_main();

    stop_reader(state);
    if (state.compact_resize_source != 0) {
        g_source_remove(state.compact_resize_source);
        state.compact_resize_source = 0;
    }
    clean_up_app_state(state);
    return 0;
}
