// The information panel's answers to the host's custom-UI events: drawing the panel,
// lighting the button under the pointer and acting on a click. Each leaves its outcome in
// the event record (out flags) and the panel state; only a failure of the host's drawing
// is returned to the host as an error.
#pragma once

#include "platform/sdk/ae_sdk.h"

// Whether the event comes from the effect controls window.
bool InEffectWindow(const PF_EventExtra* extra);

// PF_Event_DRAW for the panel's control: the banner and the buttons, each lit or not.
// Returns the first error of the host's drawing routines.
PF_Err DrawPanel(PF_InData* in_data, PF_OutData* out_data, PF_EventExtra* extra);

// PF_Event_ADJUST_CURSOR for the panel's control: lights the button under the pointer and
// asks the host to redraw when that changes.
void HoverPanel(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                PF_EventExtra* extra);

// PF_Event_DO_CLICK: the help page, the about box or the web site, by the button clicked.
void ClickPanel(PF_InData* in_data, PF_EventExtra* extra);

// Draws one bitmap of the panel at the control's frame plus (dx, dy). A missing suite
// (shown to the user as a message) or drawing reference ends it with no error; an error of
// a drawing routine ends it with that error; a bitmap that cannot be loaded is skipped.
PF_Err DrawPanelBitmap(PF_InData* in_data, PF_OutData* out_data, PF_EventExtra* extra,
                       int bitmap_id, int width, int height, int dx, int dy);
