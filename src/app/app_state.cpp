// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_state.h"

void init_app_state(AppState& state) {
    g_mutex_init(&state.lock);
    g_cond_init(&state.wake);
}

void clean_up_app_state(AppState& state) {
    g_cond_clear(&state.wake);
    g_mutex_clear(&state.lock);
    state.pending_snapshot = BatterySnapshot{};
    state.supply_cache.reset();
    state.selected_battery.clear();
    state.demo_scenario.clear();
    state.shown_snapshot = BatterySnapshot{};
}
