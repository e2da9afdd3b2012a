// widget_probes.h: what the display tests read back from real widgets, and the shown window.
#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "app/app_state.h"

std::string text_of(GtkWidget* label);
std::string tooltip_of(GtkWidget* widget);          // "(none)" without a tooltip
std::string accessible_name_of(GtkWidget* widget);  // "(none)" without a name
// The label's one attribute as an absolute size in px; -1 when it holds anything else.
int only_absolute_size_px(GtkWidget* label);
bool toggle_active(GtkWidget* toggle);

// Counts "notify" emissions (every property change) of the watched objects while it lives.
class NotifyCounter {
  public:
    NotifyCounter() = default;
    NotifyCounter(const NotifyCounter&) = delete;
    NotifyCounter& operator=(const NotifyCounter&) = delete;
    ~NotifyCounter();
    void watch(gpointer object);
    void watch_widget(GtkWidget* widget);  // the widget and its ATK object
    int count() const { return static_cast<int>(changes_.size()); }
    std::string changes() const;  // "Type.property ..." for failure messages
    void reset() { changes_.clear(); }

  private:
    std::vector<std::pair<gpointer, gulong>> handlers_;
    std::vector<std::string> changes_;
};

// Runs the default main context until done() holds or timeout_ms pass; returns whether it holds.
bool pump_until(const std::function<bool()>& done, int timeout_ms = 5000);
// Runs the main context until every idle of default priority scheduled now has run.
void drain_idles();

// A fresh demo-mode AppState with its window built and mapped.
struct ShownWindow : testing::Test {
    AppState state;
    void SetUp() override;
    void TearDown() override;
};

struct WindowSize {
    int width = 0;
    int height = 0;
};
WindowSize window_size(const AppState& state);  // as of the last configure event

gboolean press_key(AppState& state, guint keyval, guint modifiers);
gboolean send_window_state(AppState& state, int changed, int now);
