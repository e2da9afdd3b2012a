#include "presentation/snapshot_application.h"

#include "app/app_state.h"

gboolean apply_snapshot_idle(gpointer /*state*/) { return FALSE; }

void on_battery_changed(GtkComboBox* /*combo*/, gpointer /*state*/) {}
