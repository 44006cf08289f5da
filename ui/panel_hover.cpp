// The pointer over the panel: the button under it lights up. Only a change of the lit
// button asks the host for a redraw of the control.
#include "ui/panel_events.h"
#include "ui/panel_layout.h"
#include "ui/panel_state.h"
#include "ui/suite_access.h"

namespace {

constexpr char kAppSuiteMissing[] = "Not able to acquire the PF AE App Suite.";

// Asks the host to redraw the control's frame. Without the application suite the message
// is shown and nothing else happens: no exception leaves the module.
void InvalidateControl(PF_InData* in_data, PF_OutData* out_data, PF_EventExtra* extra) {
  const void* found = nullptr;
  if (AcquireHostSuite(in_data, out_data, kPFAppSuite, kPFAppSuiteVersion6, kAppSuiteMissing,
                       &found) != PF_Err_NONE)
    return;
  const auto* app = static_cast<const PFAppSuite6*>(found);
  if (app->PF_InvalidateRect)
    app->PF_InvalidateRect(extra->contextH, &extra->effect_win.current_frame);
  ReleaseHostSuite(in_data, out_data, kPFAppSuite, kPFAppSuiteVersion6, nullptr);
}

}  // namespace

void HoverPanel(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                PF_EventExtra* extra) {
  // The control's own record, when the host hands the parameters over.
  const bool has_info = params && (!in_data || in_data->num_params > kPanelParamIndex);
  PF_ParamDef* info = has_info ? params[kPanelParamIndex] : nullptr;
  if (!info) return;
  PanelState& state = ThePanelState();
  if ((info->flags & PF_ParamFlag_COLLAPSE_TWIRLY) || state.suppress) return;
  if (!InEffectWindow(extra)) return;

  int hover[kPanelButtonCount];
  bool changed = false;
  for (int b = 0; b < kPanelButtonCount; ++b) {
    hover[b] = PanelButtonHit(b, state.origin_x, state.origin_y,
                              extra->u.adjust_cursor.screen_point) ? 1 : 0;
    changed = changed || hover[b] != state.hover[b];
  }
  if (!changed) return;
  for (int b = 0; b < kPanelButtonCount; ++b) state.hover[b] = hover[b];

  InvalidateControl(in_data, out_data, extra);
  extra->evt_out_flags |= PF_EO_HANDLED_EVENT | PF_EO_UPDATE_NOW;
  info->uu.change_flags |= PF_ChangeFlag_CHANGED_VALUE;
}
