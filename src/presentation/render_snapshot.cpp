#include "presentation/render_snapshot.h"

#include "app/app_state.h"

void render_snapshot(AppState& /*state*/) {}
