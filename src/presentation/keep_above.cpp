#include "presentation/keep_above.h"

#include "app/app_state.h"
#include "presentation/widget_updates.h"

namespace {

constexpr const char* kWaylandTooltip =
    "Use your desktop's window menu to enable Always on Top. "
    "Native Wayland does not let this app set it.";
constexpr const char* kPinOnTooltip = "Stop keeping this window on top (Ctrl+T)";
constexpr const char* kPinOffTooltip = "Keep this window on top (Ctrl+T)";

}  // namespace

void sync_keep_above_widgets(AppState* state, bool on) {
    state->keep_above = on;
    state->syncing_widgets = true;
    for (GtkWidget* widget : {state->pin_toggle, state->compact_pin_toggle}) {
        GtkToggleButton* toggle = GTK_TOGGLE_BUTTON(widget);
        if ((gtk_toggle_button_get_active(toggle) != FALSE) != on) {
            gtk_toggle_button_set_active(toggle, on);
        }
    }
    state->syncing_widgets = false;

    const char* tooltip = state->wayland ? kWaylandTooltip : on ? kPinOnTooltip : kPinOffTooltip;
    set_tooltip_text(state->pin_toggle, tooltip);
    set_tooltip_text(state->compact_pin_toggle, tooltip);
}

void on_pin_toggled(GtkToggleButton* /*toggle*/, gpointer /*state*/) {}

gboolean on_window_state_event(GtkWidget* /*widget*/, GdkEventWindowState* /*event*/,
                               gpointer /*state*/) {
    return FALSE;
}
