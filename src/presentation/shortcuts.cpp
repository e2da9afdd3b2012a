#include "presentation/shortcuts.h"

#include "app/app_state.h"

gboolean on_key_press(GtkWidget* /*widget*/, GdkEventKey* /*event*/, gpointer /*state*/) {
    return FALSE;
}
