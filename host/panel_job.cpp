// Driving the information panel: setup, the drawing suites, and the draw, hover and click
// events with the host's redraw after an invalidation.
#include "host/panel_job.h"

#include <stdexcept>

#include "host/module.h"

namespace qvhost {

namespace {

// The requests of the click that is running: the module's recorder reaches them here.
std::vector<OpenRequest>* g_clicking_opens = nullptr;

int g_main_window_token = 0;

}  // namespace

void* PanelMainWindow() { return &g_main_window_token; }

bool PanelButtonPoint(const std::string& button, PF_Point& point) {
  // The middle of each button's picture, from the panel's layout.
  struct Named {
    const char* name;
    A_long x, y;
  };
  const Named points[] = {{"help", 239 + 36, 15 + 22}, {"about", 313 + 31, 48 + 30},
                          {"web", 248 + 27, 61 + 28}};
  for (const Named& n : points)
    if (button == n.name) {
      point = {kPanelFrameLeft + n.x, kPanelFrameTop + n.y};
      return true;
    }
  return false;
}

PanelJob::PanelJob(std::shared_ptr<const Module> module)
    : module_(std::move(module)),
      session_(module_),
      canvas_(kPanelControlWidth, kPanelControlHeight, kPanelFrameLeft, kPanelFrameTop) {
  session_.SetMainWindow(PanelMainWindow());
  canvas_.ProvideTo(session_);
  PF_Err err = session_.GlobalSetup();
  if (err != PF_Err_NONE) throw std::runtime_error("global setup failed with error " + std::to_string(err));
  err = session_.ParamsSetup();
  if (err != PF_Err_NONE) {
    session_.GlobalSetdown();
    throw std::runtime_error("parameter setup failed with error " + std::to_string(err));
  }
  record_opens_ = reinterpret_cast<RecordOpensFn>(module_->Symbol(kRecordOpensSymbol));
}

PanelJob::~PanelJob() { session_.GlobalSetdown(); }

PF_Err PanelJob::Draw() {
  canvas_.Clear();
  PF_EventExtra e = canvas_.Event(PF_Event_DRAW);
  return session_.Event(&e);
}

PF_EventOutFlags PanelJob::Hover(PF_Point point) {
  PF_EventExtra e = canvas_.Event(PF_Event_ADJUST_CURSOR);
  e.u.adjust_cursor.screen_point = point;
  const size_t invalidations = canvas_.invalidated().size();
  session_.Event(&e);
  if (canvas_.invalidated().size() != invalidations) Draw();
  return e.evt_out_flags;
}

void PanelJob::RecordOpen(const char* what, void* parent, const char* target) {
  if (g_clicking_opens)
    g_clicking_opens->push_back({what ? what : "", target ? target : "", parent});
}

bool PanelJob::Click(PF_Point point) {
  if (!record_opens_) return false;
  PF_EventExtra e = canvas_.Event(PF_Event_DO_CLICK);
  e.u.do_click.screen_point = point;
  e.u.do_click.num_clicks = 1;
  g_clicking_opens = &opens_;
  record_opens_(&PanelJob::RecordOpen);
  session_.Event(&e);
  record_opens_(nullptr);
  g_clicking_opens = nullptr;
  return true;
}

}  // namespace qvhost
