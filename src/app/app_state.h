// SPDX-License-Identifier: GPL-3.0-or-later
// app_state.h: the one application record shared by the UI thread and the reader thread.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include <gtk/gtk.h>

#include "acquisition/battery_snapshot.h"
#include "acquisition/supply_cache.h"
#include "presentation/capacity_unit.h"

// An automatic object of the entry point; its address is the user data of every callback
// and the reader thread's argument. Widget pointers are owned by the window's widget tree:
// they are set by build_main_window and stay valid until the window is destroyed.
struct AppState {
    GtkWidget* window = nullptr;
    GtkWidget* stack = nullptr;
    GtkWidget* expanded_page = nullptr;
    GtkWidget* compact_page = nullptr;
    GtkWidget* unit_combo = nullptr;
    GtkWidget* battery_combo = nullptr;
    GtkWidget* heading_label = nullptr;
    GtkWidget* rate_label = nullptr;
    GtkWidget* status_label = nullptr;
    GtkWidget* battery_label = nullptr;
    GtkWidget* percent_label = nullptr;
    GtkWidget* charge_bar = nullptr;
    GtkWidget* notes_label = nullptr;
    GtkWidget* details_label = nullptr;
    GtkWidget* remaining_value = nullptr;
    GtkWidget* full_charge_value = nullptr;
    GtkWidget* design_capacity_value = nullptr;
    GtkWidget* health_value = nullptr;
    GtkWidget* voltage_value = nullptr;
    GtkWidget* compact_rate_label = nullptr;
    GtkWidget* compact_remaining_label = nullptr;
    GtkWidget* pin_toggle = nullptr;
    GtkWidget* compact_pin_toggle = nullptr;
    GtkWidget* collapse_button = nullptr;
    GtkWidget* expand_button = nullptr;
    GtkWidget* unit_error_label = nullptr;

    // UI thread only.
    CapacityUnit unit = CapacityUnit::Wh;
    BatterySnapshot shown_snapshot;  // what the window shows
    std::string demo_scenario;       // set before the reader starts, then read-only
    std::string selected_battery;    // id of the chosen reading; empty = none
    bool demo_mode = false;          // set before the reader starts, then read-only
    bool compact = false;            // the view mode: true = compact strip
    bool keep_above = false;         // always-on-top state last applied to the toggles
    bool syncing_widgets = false;    // the program itself is changing a toggle or combo
    bool window_destroyed = false;
    bool wayland = false;
    bool compact_shrink_pending = false;
    std::int32_t expanded_width = 390;   // px; restored when leaving compact mode
    std::int32_t expanded_height = 520;  // px
    guint tick_source = 0;               // the 2-second timer; 0 = none
    guint apply_idle_source = 0;         // guarded by lock
    guint compact_resize_source = 0;     // UI thread only

    // The reader's discovery cache; rescan_requested inside it is atomic, the rest belongs
    // to the reader thread. Made at start-up, deleted after the reader is joined.
    std::unique_ptr<SupplyCache> supply_cache;
    GThread* reader_thread = nullptr;  // UI thread only; joined at shutdown

    // Guards the four flags, pending_snapshot and apply_idle_source; never held during a
    // pass or while wake is signalled.
    GMutex lock{};
    GCond wake{};
    bool stop_requested = false;    // guarded by lock
    bool paused = false;            // guarded by lock; window unmapped or iconified
    bool read_requested = false;    // guarded by lock; asked for and not started
    bool read_in_progress = false;  // guarded by lock; taken and not yet published
    BatterySnapshot pending_snapshot;  // guarded by lock; the one-slot mailbox
};

// Initialises the mutex and the condition; the other fields have their start values.
void init_app_state(AppState& state);

// Clears the condition and the mutex, then the snapshots, cache and strings, in the order
// shutdown requires. Only after the reader thread has been joined.
void clean_up_app_state(AppState& state);
