// The information panel driven as the host drives it: a session on the module (global and
// parameter setup), the drawing suites with a canvas for the "Information" control, and
// the pointer's events: draw, hover (with the host's redraw when the effect asks for one)
// and click (with what the module opens recorded instead of opened).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/drawing_suites.h"
#include "host/session.h"

namespace qvhost {

class Module;

// Something the module asked to open: "about" (the about box) or "open" (the shell's open
// verb on target), owned by parent.
struct OpenRequest {
  std::string what;
  std::string target;
  void* parent = nullptr;
};

// The panel's control size and where the host puts its frame in the effect window.
constexpr int kPanelControlWidth = 416;
constexpr int kPanelControlHeight = 148;
constexpr int kPanelFrameLeft = 12;
constexpr int kPanelFrameTop = 40;

// The window the host hands out as its main window (a token, never used as a window).
void* PanelMainWindow();

// A point in the middle of a button, in window coordinates ("help", "about", "web"); false
// for another name.
bool PanelButtonPoint(const std::string& button, PF_Point& point);

class PanelJob {
 public:
  // Loads nothing: the module is loaded. Global and parameter setup; throws
  // std::runtime_error when they fail or the effect has no panel.
  explicit PanelJob(std::shared_ptr<const Module> module);
  ~PanelJob();  // global setdown
  PanelJob(const PanelJob&) = delete;
  PanelJob& operator=(const PanelJob&) = delete;

  Session& session() { return session_; }
  ControlCanvas& canvas() { return canvas_; }

  // A draw event for the whole control onto a cleared canvas; returns the effect's error.
  PF_Err Draw();
  // The pointer at `point` (window coordinates). When the effect invalidates the control,
  // the host redraws it. Returns the event's out flags.
  PF_EventOutFlags Hover(PF_Point point);
  // A click at `point`; what the module asks to open is in opens(). False when the module
  // offers no way to record what it opens (nothing is clicked then).
  bool Click(PF_Point point);
  const std::vector<OpenRequest>& opens() const { return opens_; }

 private:
  static void RecordOpen(const char* what, void* parent, const char* target);
  using RecordOpensFn = void (*)(void (*)(const char*, void*, const char*));

  std::shared_ptr<const Module> module_;
  Session session_;
  ControlCanvas canvas_;
  RecordOpensFn record_opens_ = nullptr;
  std::vector<OpenRequest> opens_;
};

// The module's export that lets a host record what the panel opens.
constexpr char kRecordOpensSymbol[] = "QuorvelRecordOpens";

}  // namespace qvhost
