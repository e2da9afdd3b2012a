#include "app/unit_change.h"

#include "app/app_state.h"

void on_unit_changed(GtkComboBox* /*combo*/, gpointer /*state*/) {}
