#include "widget_probes.h"

#include <memory>

#include "app/lifecycle.h"
#include "presentation/keep_above.h"
#include "presentation/main_window.h"
#include "presentation/shortcuts.h"

std::string text_of(GtkWidget* label) { return gtk_label_get_text(GTK_LABEL(label)); }

std::string tooltip_of(GtkWidget* widget) {
    g_autofree gchar* tip = gtk_widget_get_tooltip_text(widget);
    return tip != nullptr ? tip : "(none)";
}

std::string accessible_name_of(GtkWidget* widget) {
    const char* name = atk_object_get_name(gtk_widget_get_accessible(widget));
    return name != nullptr ? name : "(none)";
}

int only_absolute_size_px(GtkWidget* label) {
    PangoAttrList* attrs = gtk_label_get_attributes(GTK_LABEL(label));
    if (attrs == nullptr) {
        return -1;
    }
    GSList* list = pango_attr_list_get_attributes(attrs);
    int px = -1;
    if (g_slist_length(list) == 1) {
        const auto* attr = static_cast<PangoAttribute*>(list->data);
        if (attr->klass->type == PANGO_ATTR_ABSOLUTE_SIZE) {
            px = reinterpret_cast<const PangoAttrSize*>(attr)->size / PANGO_SCALE;
        }
    }
    g_slist_free_full(list, reinterpret_cast<GDestroyNotify>(pango_attribute_destroy));
    return px;
}

bool toggle_active(GtkWidget* toggle) {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(toggle)) != FALSE;
}

NotifyCounter::~NotifyCounter() {
    for (auto& [object, handler] : handlers_) {
        g_signal_handler_disconnect(object, handler);
    }
}

void NotifyCounter::watch(gpointer object) {
    auto on_notify = +[](GObject* changed, GParamSpec* pspec, gpointer self) {
        static_cast<NotifyCounter*>(self)->changes_.push_back(
            std::string(G_OBJECT_TYPE_NAME(changed)) + "." + g_param_spec_get_name(pspec));
    };
    handlers_.emplace_back(object, g_signal_connect(object, "notify", G_CALLBACK(on_notify), this));
}

void NotifyCounter::watch_widget(GtkWidget* widget) {
    watch(widget);
    watch(gtk_widget_get_accessible(widget));
}

std::string NotifyCounter::changes() const {
    std::string all;
    for (const std::string& change : changes_) {
        all += change + " ";
    }
    return all;
}

bool pump_until(const std::function<bool()>& done, int timeout_ms) {
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

void drain_idles() {
    // A lower priority than every idle under test: once it runs, they have run.
    bool ran = false;
    g_idle_add_full(
        G_PRIORITY_LOW,
        [](gpointer data) -> gboolean {
            *static_cast<bool*>(data) = true;
            return FALSE;
        },
        &ran, nullptr);
    ASSERT_TRUE(pump_until([&] { return ran; }));
}

void ShownWindow::SetUp() {
    init_app_state(state);
    state.supply_cache = std::make_unique<SupplyCache>();  // resuming the reader asks it
    state.demo_mode = true;
    build_main_window(state);
    ASSERT_TRUE(pump_until([&] {
        GdkWindow* window = gtk_widget_get_window(state.window);
        return window != nullptr &&
               (gdk_window_get_state(window) & GDK_WINDOW_STATE_WITHDRAWN) == 0;
    }));
}

void ShownWindow::TearDown() {
    // No main loop runs here for the program's destroy handler to quit.
    g_signal_handlers_disconnect_by_func(state.window, reinterpret_cast<gpointer>(on_window_destroy),
                                         &state);
    gtk_widget_destroy(state.window);
    state.window_destroyed = true;
    for (guint* source : {&state.compact_resize_source, &state.tick_source,
                          &state.apply_idle_source}) {
        if (*source != 0) {
            g_source_remove(*source);
            *source = 0;
        }
    }
    clean_up_app_state(state);
}

WindowSize window_size(const AppState& state) {
    WindowSize size;
    gtk_window_get_size(GTK_WINDOW(state.window), &size.width, &size.height);
    return size;
}

gboolean press_key(AppState& state, guint keyval, guint modifiers) {
    GdkEventKey event{};
    event.type = GDK_KEY_PRESS;
    event.window = gtk_widget_get_window(state.window);
    event.keyval = keyval;
    event.state = modifiers;
    return on_key_press(state.window, &event, &state);
}

gboolean send_window_state(AppState& state, int changed, int now) {
    GdkEventWindowState event{};
    event.type = GDK_WINDOW_STATE;
    event.changed_mask = static_cast<GdkWindowState>(changed);
    event.new_window_state = static_cast<GdkWindowState>(now);
    return on_window_state_event(state.window, &event, &state);
}
