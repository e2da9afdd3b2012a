// SPDX-License-Identifier: GPL-3.0-or-later
// widget_probes.h: what the display tests read back from real widgets, and the real window
// they read.
#pragma once
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "app/app_state.h"
#include "app/lifecycle.h"
#include "presentation/main_window.h"
#include "support/fixture_tree.h"

inline std::string text_of(GtkWidget* label) { return gtk_label_get_text(GTK_LABEL(label)); }

inline std::string tooltip_of(GtkWidget* widget) {
    g_autofree gchar* tip = gtk_widget_get_tooltip_text(widget);
    return tip != nullptr ? tip : "(none)";
}

inline std::string accessible_name_of(GtkWidget* widget) {
    const char* name = atk_object_get_name(gtk_widget_get_accessible(widget));
    return name != nullptr ? name : "(none)";
}

// The size in px the label's text is laid out at, from its runs (style sheet and attributes
// applied); -1 when the runs differ, 0 for an empty label.
inline int drawn_font_px(GtkWidget* label) {
    PangoLayoutIter* run = pango_layout_get_iter(gtk_label_get_layout(GTK_LABEL(label)));
    int px = 0;
    do {
        if (const PangoLayoutRun* glyphs = pango_layout_iter_get_run_readonly(run); glyphs != nullptr) {
            PangoFontDescription* font = pango_font_describe_with_absolute_size(glyphs->item->analysis.font);
            const int size = static_cast<int>(std::lround(pango_font_description_get_size(font) / double{PANGO_SCALE}));
            px = px == 0 || px == size ? size : -1;
            pango_font_description_free(font);
        }
    } while (pango_layout_iter_next_run(run));
    pango_layout_iter_free(run);
    return px;
}

// Counts "notify" emissions (every property change) of the watched widgets and their ATK
// objects while it lives.
class NotifyCounter {
  public:
    NotifyCounter() = default;
    NotifyCounter(const NotifyCounter&) = delete;
    NotifyCounter& operator=(const NotifyCounter&) = delete;
    ~NotifyCounter() {
        for (auto& [object, handler] : handlers_) {
            g_signal_handler_disconnect(object, handler);
        }
    }
    void watch_widget(GtkWidget* widget) {
        auto on_notify = +[](GObject* changed, GParamSpec* property, gpointer self) {
            static_cast<NotifyCounter*>(self)->changes_ +=
                std::string(G_OBJECT_TYPE_NAME(changed)) + "." + property->name + " ";
        };
        for (gpointer object : {gpointer(widget), gpointer(gtk_widget_get_accessible(widget))}) {
            handlers_.emplace_back(object, g_signal_connect(object, "notify",
                                                            G_CALLBACK(on_notify), this));
        }
    }
    const std::string& changes() const { return changes_; }  // "Type.property ..."

  private:
    std::vector<std::pair<gpointer, gulong>> handlers_;
    std::string changes_;
};

// Runs the default main context until done() holds or timeout_ms pass; returns whether it holds.
inline bool pump_until(const std::function<bool()>& done, int timeout_ms = 5000) {
    const gint64 deadline = g_get_monotonic_time() + gint64{timeout_ms} * 1000;
    while (!done()) {
        if (g_get_monotonic_time() > deadline) {
            return false;
        }
        if (!g_main_context_iteration(nullptr, FALSE)) {
            g_usleep(2000);  // nothing ready: give the display server a moment
        }
    }
    return true;
}

// A fresh demo-mode window, built as start-up builds it (without the reader thread) and
// mapped; destroyed outside gtk_main.
struct ShownWindow : testing::Test {
    AppState state;
    ShownWindow() {
        init_app_state(state);
        state.supply_cache = std::make_unique<SupplyCache>();  // resuming the reader asks it
        state.demo_mode = true;
        build_main_window(state);
    }
    void SetUp() override {
        ASSERT_TRUE(pump_until([&] {
            GdkWindow* shown = gtk_widget_get_window(state.window);
            return shown != nullptr && (gdk_window_get_state(shown) & GDK_WINDOW_STATE_WITHDRAWN) == 0;
        }));
    }
    // Without the handler that would quit a main loop that is not running; then the
    // callbacks still scheduled go, pending events run and the state is cleaned up.
    ~ShownWindow() override {
        g_signal_handlers_disconnect_by_func(state.window,
                                             reinterpret_cast<gpointer>(on_window_destroy), &state);
        state.window_destroyed = true;
        gtk_widget_destroy(state.window);
        for (guint* source : {&state.compact_resize_source, &state.tick_source, &state.apply_idle_source}) {
            if (*source != 0) {
                g_source_remove(*source);
            }
            *source = 0;
        }
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        clean_up_app_state(state);
    }
};
