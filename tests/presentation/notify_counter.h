// notify_counter.h: counts "notify" emissions, the trace of every property a widget changes.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include <gtk/gtk.h>

// Watches GObjects (widgets, ATK objects) until it goes out of scope.
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

    void watch(gpointer object) {
        handlers_.emplace_back(object,
                               g_signal_connect(object, "notify", G_CALLBACK(on_notify), this));
    }
    // The widget and its accessible object.
    void watch_widget(GtkWidget* widget) {
        watch(widget);
        watch(gtk_widget_get_accessible(widget));
    }

    int count() const { return static_cast<int>(changes_.size()); }
    // "Type.property" of each emission, for failure messages.
    std::string changes() const {
        std::string all;
        for (const std::string& change : changes_) {
            all += change + " ";
        }
        return all;
    }
    void reset() { changes_.clear(); }

  private:
    static void on_notify(GObject* object, GParamSpec* pspec, gpointer self) {
        static_cast<NotifyCounter*>(self)->changes_.push_back(
            std::string(G_OBJECT_TYPE_NAME(object)) + "." + g_param_spec_get_name(pspec));
    }

    std::vector<std::pair<gpointer, gulong>> handlers_;
    std::vector<std::string> changes_;
};
