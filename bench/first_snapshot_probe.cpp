// SPDX-License-Identifier: GPL-3.0-or-later
// first_snapshot_probe.cpp: preloaded into the program by scripts/measure_process.sh to
// time start-up from outside the program's own code. It notes the wall-clock time of the
// window's first gtk_widget_show_all and of the first label set to the text in
// TAVRINO_PROBE_TEXT (a figure only the first applied snapshot can show), and writes both
// to the file TAVRINO_PROBE_OUT when the second arrives.
#include <dlfcn.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gtk/gtk.h>

namespace {

double now_s() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double shown_at = 0;
bool reported = false;

template <typename F>
F next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" void gtk_widget_show_all(GtkWidget* widget) {
    static auto real = next<void (*)(GtkWidget*)>("gtk_widget_show_all");
    if (shown_at == 0) {
        shown_at = now_s();
    }
    real(widget);
}

extern "C" void gtk_label_set_text(GtkLabel* label, const gchar* text) {
    static auto real = next<void (*)(GtkLabel*, const gchar*)>("gtk_label_set_text");
    real(label, text);
    const char* wanted = std::getenv("TAVRINO_PROBE_TEXT");
    const char* out = std::getenv("TAVRINO_PROBE_OUT");
    if (reported || wanted == nullptr || out == nullptr || text == nullptr ||
        std::strcmp(text, wanted) != 0) {
        return;
    }
    reported = true;
    if (FILE* f = std::fopen(out, "w")) {
        std::fprintf(f, "%.6f %.6f\n", shown_at, now_s());
        std::fclose(f);
    }
}
