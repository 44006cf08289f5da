// The host's drawing side of a custom control: the custom-UI suite, the four Drawbot
// suites and the application suite, as the host provides them to an effect's events. They
// record every call and draw the effect's images onto a canvas the size of the control,
// as the host would show it; the event records they hand out carry the control's context.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/image.h"
#include "platform/sdk/ae_sdk.h"

namespace qvhost {

class Session;

// One image the effect drew: where (window coordinates), its size and opacity.
struct DrawnImage {
  float x = 0, y = 0;
  int width = 0, height = 0;
  float opacity = 0;
};

class ControlCanvas {
 public:
  // A control of width x height whose frame's top-left corner lies at (left, top) in the
  // effect window's coordinates. The canvas starts in the panel's background colour.
  ControlCanvas(int width, int height, int left, int top);
  ~ControlCanvas();
  ControlCanvas(const ControlCanvas&) = delete;
  ControlCanvas& operator=(const ControlCanvas&) = delete;

  // Makes all six suites available to the session's effect.
  void ProvideTo(Session& session) const;

  // An event record for the control (parameter 1 by default) in the effect window, in the
  // control area, with the frame as current_frame and, for draws, as update_rect.
  PF_EventExtra Event(PF_EventType type, A_long index = 1) const;
  // The context the events carry; tests change its window type.
  PF_Context& context() { return context_; }

  // The control's frame in window coordinates.
  const PF_Rect& frame() const { return frame_; }
  // What the control shows: 8-bit RGBA, opaque, width x height.
  const Image& canvas() const { return canvas_; }
  void Clear();

  // ---- The record of calls. ---------------------------------------------------------
  // Every suite call, one line each ("GetSupplier", "DrawImage 20,60 391x123 1", ...).
  const std::vector<std::string>& calls() const { return calls_; }
  const std::vector<DrawnImage>& drawn() const { return drawn_; }
  // The rectangles the effect asked to have redrawn.
  const std::vector<PF_Rect>& invalidated() const { return invalidated_; }
  // Images made and not yet released.
  int images_alive() const { return static_cast<int>(images_.size()); }
  // Misuse of the suites (bad layout, unknown object, an unexpected routine).
  const std::vector<std::string>& problems() const { return problems_; }
  void ClearRecords();

  // A host whose drawing fails: the routine named (PF_GetDrawingReference, GetSupplier,
  // GetSurface, NewImageFromBuffer, DrawImage) answers `error` from now on, after
  // recording the call and doing nothing else; an empty name makes none fail.
  void FailRoutine(const std::string& routine, int error) { failing_ = {routine, error}; }

  // ---- The suites' routines (C callbacks). ------------------------------------------
  struct Callbacks;

 private:
  struct HostImage {
    int width = 0, height = 0, layout = 0;
    std::vector<uint8_t> rows;  // top row first, width * 3 bytes a row
  };
  void Draw(const HostImage& image, float x, float y, float opacity);

  PF_Rect frame_;
  Image canvas_;
  PF_Context context_;
  PF_Context* context_pointer_;
  // Tags whose addresses are the references handed out.
  char draw_tag_ = 0, supplier_tag_ = 0, surface_tag_ = 0;
  std::vector<std::unique_ptr<HostImage>> images_;
  std::vector<std::string> calls_;
  std::vector<DrawnImage> drawn_;
  std::vector<PF_Rect> invalidated_;
  std::vector<std::string> problems_;
  std::pair<std::string, int> failing_;
  // The error `routine` answers with, 0 when it works.
  int Failure(const std::string& routine) const {
    return routine == failing_.first ? failing_.second : 0;
  }
};

// The panel's background colour in the effect controls.
constexpr uint8_t kControlBackground[3] = {38, 38, 38};

}  // namespace qvhost
