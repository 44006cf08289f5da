// The frei0r filter's instance: the host's side of one effect application, frame by frame.
#include "frei0r/filter.h"

#include <cmath>
#include <cstring>
#include <stdexcept>

#include "frei0r/effect.h"
#include "frei0r/frame_copy.h"
#include "host/image.h"
#include "host/param_assign.h"
#include "host/world_image.h"

namespace qvfrei0r {

namespace {

// Frame times reach the effect in milliseconds: frame k of any rate lands on its own tick.
constexpr A_u_long kTimeScale = 1000;

void Require(PF_Err err, const char* what) {
  if (err != PF_Err_NONE)
    throw std::runtime_error(std::string(what) + " failed with error " + std::to_string(err));
}

}  // namespace

Filter::Filter(int width, int height)
    : session_(NewSession()),
      size_{width, height},
      input_(width, height, false),
      output_(width, height, false),
      texts_(EffectParams().size()) {
  if (width <= 0 || height <= 0) throw std::runtime_error("the frame size must be positive");
  session_->SetLayerSize(width, height);
  Require(session_->ParamsSetup(), "parameter setup");
  Require(session_->SequenceSetup(), "sequence setup");
  sequence_ready_ = true;
  // The texture layers are "none": a frei0r filter has only its input.
  PF_LayerDef none;
  std::memset(&none, 0, sizeof none);
  for (int param : qvhost::LayerParams(session_->definitions())) session_->SetLayer(param, none);
  session_->SetInputLayer(input_.def());
  session_->in_data().time_scale = kTimeScale;
}

Filter::~Filter() {
  if (sequence_ready_) session_->SequenceSetdown();
}

bool Filter::Set(int param, const void* value, std::string& error) {
  const std::vector<MappedParam>& params = EffectParams();
  if (param < 0 || static_cast<size_t>(param) >= params.size() || !value) {
    error = "no parameter " + std::to_string(param);
    return false;
  }
  const MappedParam& map = params[static_cast<size_t>(param)];
  if (map.layer)
    return SetLayerFile(map.index, *static_cast<const char* const*>(value),
                        texts_[static_cast<size_t>(param)], error);
  return WriteParam(map, value, size_, session_->value(map.index), error);
}

// A texture layer from a PNG file, read when the name changes (hosts set every parameter
// before every frame). An empty name, or a file that cannot be read, leaves the layer
// "none"; the name is kept either way, so that the host reads back what it set.
bool Filter::SetLayerFile(int index, const char* path, std::string& kept, std::string& error) {
  const std::string name = path ? path : "";
  if (name == kept) return true;
  kept = name;
  layers_.erase(index);
  PF_LayerDef none;
  std::memset(&none, 0, sizeof none);
  session_->SetLayer(index, none);
  if (name.empty()) return true;
  qvhost::Image image;
  if (!qvhost::ReadPng(name, image, error)) return false;
  layers_[index] = qvhost::WorldFromImage(image, false, 0);
  session_->SetLayer(index, layers_[index]->def());
  return true;
}

void Filter::Get(int param, void* value) {
  const std::vector<MappedParam>& params = EffectParams();
  if (param < 0 || static_cast<size_t>(param) >= params.size() || !value) return;
  const MappedParam& map = params[static_cast<size_t>(param)];
  ReadParam(map, session_->value(map.index), size_, value, texts_[static_cast<size_t>(param)]);
}

bool Filter::Update(double time, const uint32_t* in, uint32_t* out, std::string& error) {
  FrameToWorld(in, input_);
  PF_InData& data = session_->in_data();
  data.current_time = std::isfinite(time) && time > 0 ? static_cast<A_long>(std::lround(
                                                            std::fmin(time * kTimeScale, 2e9)))
                                                      : 0;
  session_->ClearCallRecords();  // one frame's records at a time, however long the stream
  session_->ClearProblems();
  const PF_Err err = session_->Render(&output_.def());
  if (err != PF_Err_NONE) {
    error = "the render failed with error " + std::to_string(err);
    std::memmove(out, in, static_cast<size_t>(size_.width) * size_.height * 4);
    return false;
  }
  WorldToFrame(output_, out);
  return true;
}

}  // namespace qvfrei0r
