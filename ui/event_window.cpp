// Which window an event comes from: the host's context record names it.
#include "ui/panel_events.h"

bool InEffectWindow(const PF_EventExtra* extra) {
  return extra && extra->contextH && *extra->contextH &&
         (*extra->contextH)->w_type == PF_Window_EFFECT;
}
