// The panel state's single instance.
#include "ui/panel_state.h"

namespace {
PanelState g_panel_state = {};
}

PanelState& ThePanelState() { return g_panel_state; }
