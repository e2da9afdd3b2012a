// SPDX-License-Identifier: GPL-3.0-or-later
// presentation_bench.cpp: the cost of turning a snapshot into texts and of a steady
// rendering, each beside a baseline measured in the same run. The rendering benchmarks need
// a display: run under tests/support/with-xvfb.sh (they are skipped without one).
#include <algorithm>
#include <cstdio>

#include <benchmark/benchmark.h>
#include <gtk/gtk.h>

#include "acquisition/demo_scenarios.h"
#include "app/app_state.h"
#include "presentation/figure_format.h"
#include "presentation/main_window.h"
#include "presentation/reading_view.h"
#include "presentation/render_snapshot.h"

namespace {

// The base demo battery: every figure of the expanded page is present.
BatterySnapshot sample_snapshot() { return build_demo_snapshot("sample-1"); }

// Baseline of the core figures: one figure text.
void BM_FormatFigure(benchmark::State& st) {
    for (auto _ : st) {
        benchmark::DoNotOptimize(format_figure(OptionalNumber::of(35.328), 2, " Wh"));
    }
}
BENCHMARK(BM_FormatFigure);

void BM_ComputeReadingView(benchmark::State& st) {
    const BatterySnapshot snapshot = sample_snapshot();
    const bool compact = st.range(0) != 0;
    for (auto _ : st) {
        benchmark::DoNotOptimize(
            compute_reading_view(snapshot, CapacityUnit::mAh, "BAT0", false, compact));
    }
}
BENCHMARK(BM_ComputeReadingView)->ArgName("compact")->Arg(0)->Arg(1);

// The window, built once; both rendering benchmarks use it.
AppState* g_state = nullptr;
int g_changes = 0;  // "notify" emissions on the watched widgets and their ATK objects

void count_change(GObject* /*object*/, GParamSpec* /*pspec*/, gpointer /*data*/) { ++g_changes; }

GtkWidget* const* page_widgets(const AppState& s, bool compact, std::size_t& count) {
    static GtkWidget* widgets[16];
    if (compact) {
        widgets[0] = s.compact_rate_label;
        widgets[1] = s.compact_remaining_label;
        count = 2;
    } else {
        GtkWidget* all[] = {s.heading_label,   s.rate_label,        s.status_label,
                            s.battery_label,   s.battery_combo,     s.percent_label,
                            s.charge_bar,      s.notes_label,       s.details_label,
                            s.remaining_value, s.full_charge_value, s.design_capacity_value,
                            s.health_value,    s.voltage_value};
        count = sizeof all / sizeof all[0];
        std::copy(all, all + count, widgets);
    }
    return widgets;
}

// Baseline of a steady rendering: reading back what it compares against, and nothing else.
void BM_ReadWidgets(benchmark::State& st) {
    const bool compact = st.range(0) != 0;
    std::size_t count = 0;
    GtkWidget* const* widgets = page_widgets(*g_state, compact, count);
    for (auto _ : st) {
        for (std::size_t i = 0; i < count; ++i) {
            GtkWidget* w = widgets[i];
            if (GTK_IS_LABEL(w)) {
                benchmark::DoNotOptimize(gtk_label_get_text(GTK_LABEL(w)));
            }
            g_autofree gchar* tip = gtk_widget_get_tooltip_text(w);
            benchmark::DoNotOptimize(tip);
            benchmark::DoNotOptimize(atk_object_get_name(gtk_widget_get_accessible(w)));
        }
    }
}

void BM_SteadyRender(benchmark::State& st) {
    g_state->compact = st.range(0) != 0;
    render_snapshot(*g_state);  // brings the page up to date; the loop then renders steadily
    g_changes = 0;
    for (auto _ : st) {
        render_snapshot(*g_state);
    }
    st.counters["widget_changes"] = g_changes;
}

void watch(gpointer object) {
    g_signal_connect(object, "notify", G_CALLBACK(count_change), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (gtk_init_check(nullptr, nullptr)) {
        static AppState state;
        init_app_state(state);
        build_main_window(state);
        state.shown_snapshot = sample_snapshot();
        g_state = &state;
        // Both pages show their texts, so the baseline reads what a steady rendering compares.
        for (bool compact : {true, false}) {
            state.compact = compact;
            render_snapshot(state);
        }
        for (bool compact : {false, true}) {
            std::size_t count = 0;
            GtkWidget* const* widgets = page_widgets(state, compact, count);
            for (std::size_t i = 0; i < count; ++i) {
                watch(widgets[i]);
                watch(gtk_widget_get_accessible(widgets[i]));
            }
        }
        benchmark::RegisterBenchmark("BM_ReadWidgets", BM_ReadWidgets)
            ->ArgName("compact")
            ->Arg(0)
            ->Arg(1);
        benchmark::RegisterBenchmark("BM_SteadyRender", BM_SteadyRender)
            ->ArgName("compact")
            ->Arg(0)
            ->Arg(1);
    } else {
        std::fputs("no display: rendering benchmarks skipped (use tests/support/with-xvfb.sh)\n",
                   stderr);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_state != nullptr) {
        // Its "destroy" handler would end a main loop that never ran.
        g_signal_handlers_disconnect_by_data(g_state->window, g_state);
        gtk_widget_destroy(g_state->window);
        clean_up_app_state(*g_state);
    }
    return 0;
}
