// Frames through the module: the effect's setup, the host's worlds for each frame, the
// frame's records, the render command, and the checks that the effect gave back what it
// took (check-outs, handles, locks).
#include "host/render_job.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "host/module.h"
#include "host/param_assign.h"
#include "host/sdk_names.h"
#include "host/world_image.h"

namespace qvhost {

namespace {

void Require(PF_Err err, const char* what) {
  if (err != PF_Err_NONE) throw RenderSetupError(std::string(what) + " failed: " + ErrorText(err));
}

// A layer parameter set to "None": its check-out succeeds with a world without pixels.
PF_LayerDef NoLayer() {
  PF_LayerDef none;
  std::memset(&none, 0, sizeof none);
  return none;
}

int Reduced(int size, int factor) { return (size + factor - 1) / factor; }

// Point values are layer pixels at full size; a downsampled frame sees them in its own
// pixels. Scales every point parameter for the frame and puts the values back after it.
class PointScale {
 public:
  PointScale(Session& session, int factor) : session_(session) {
    if (factor <= 1) return;
    for (size_t i = 0; i < session.values().size(); ++i) {
      PF_ParamDef& p = session.values()[i];
      if (p.param_type != PF_Param_POINT) continue;
      saved_.emplace_back(i, p.u.td);
      p.u.td.x_value /= factor;
      p.u.td.y_value /= factor;
    }
  }
  ~PointScale() {
    for (const auto& s : saved_) session_.values()[s.first].u.td = s.second;
  }
  PointScale(const PointScale&) = delete;
  PointScale& operator=(const PointScale&) = delete;

 private:
  Session& session_;
  std::vector<std::pair<size_t, PF_PointDef>> saved_;
};

}  // namespace

RenderJob::RenderJob(std::shared_ptr<const Module> module, int layer_width, int layer_height)
    : RenderJob(std::make_unique<Session>(std::move(module)), layer_width, layer_height) {}

RenderJob::RenderJob(PF_EntryPoint entry, Pipl pipl, int layer_width, int layer_height)
    : RenderJob(std::make_unique<Session>(entry, std::move(pipl)), layer_width, layer_height) {}

RenderJob::RenderJob(std::unique_ptr<Session> session, int layer_width, int layer_height)
    : session_(std::move(session)), layer_width_(layer_width), layer_height_(layer_height) {
  if (layer_width <= 0 || layer_height <= 0)
    throw RenderSetupError("the layer size must be positive");
  session_->SetLayerSize(layer_width, layer_height);
  input_ = MakeBackground(layer_width, layer_height, 8);
  Require(session_->GlobalSetup(), "global setup");
  PF_Err err = session_->ParamsSetup();
  if (err == PF_Err_NONE) err = session_->SequenceSetup();
  if (err != PF_Err_NONE) {
    session_->GlobalSetdown();
    Require(err, "parameter or sequence setup");
  }
  sequence_ready_ = true;
  texture_params_ = LayerParams(session_->definitions());
  for (int param : texture_params_) session_->SetLayer(param, NoLayer());
  setup_problems_ = session_->problems();
}

RenderJob::~RenderJob() {
  if (sequence_ready_) session_->SequenceSetdown();
  session_->GlobalSetdown();
}

void RenderJob::SetInput(Image image) {
  if (image.width != layer_width_ || image.height != layer_height_)
    throw std::invalid_argument("the input image is " + std::to_string(image.width) + "x" +
                                std::to_string(image.height) + ", the layer " +
                                std::to_string(layer_width_) + "x" +
                                std::to_string(layer_height_));
  input_ = std::move(image);
  worlds_stale_ = true;
}

void RenderJob::SetTextureLayer(int param, Image image) {
  if (std::find(texture_params_.begin(), texture_params_.end(), param) == texture_params_.end())
    throw std::invalid_argument("parameter " + std::to_string(param) +
                                " is not a texture layer");
  if (image.empty()) throw std::invalid_argument("an empty image cannot be a layer");
  textures_[param] = std::move(image);
  worlds_stale_ = true;
}

void RenderJob::ClearTextureLayer(int param) {
  textures_.erase(param);
  texture_worlds_.erase(param);
  session_->SetLayer(param, NoLayer());
}

void RenderJob::SetSettings(const RenderSettings& settings) {
  if (settings.downsample < 1) throw std::invalid_argument("the downsample factor must be 1 or more");
  if (settings.time_scale == 0) throw std::invalid_argument("the time scale must be positive");
  if (settings.time_step <= 0) throw std::invalid_argument("the time step must be positive");
  if (settings.deep != settings_.deep || settings.downsample != settings_.downsample) {
    if (input_.empty())
      throw std::logic_error("the input image was dropped: give it again before changing the "
                             "depth or the downsampling");
    worlds_stale_ = true;
  }
  settings_ = settings;
}

int RenderJob::output_width() const { return Reduced(layer_width_, settings_.downsample); }
int RenderJob::output_height() const { return Reduced(layer_height_, settings_.downsample); }

// The input and texture worlds at the render's depth, reduced like the frame when it is
// downsampled (as a host hands the effect its layers at the frame's resolution).
void RenderJob::PrepareWorlds() {
  if (!worlds_stale_) return;
  const int n = settings_.downsample;
  if (!input_.empty()) {  // once dropped, its world (made at these settings) stays
    // Downsampled through a copy; at full size straight from the image, not copied.
    if (n > 1)
      input_world_ = WorldFromImage(DownsampleImage(input_, n), settings_.deep, kInputRowPadding);
    else
      input_world_ = WorldFromImage(input_, settings_.deep, kInputRowPadding);
    session_->SetInputLayer(input_world_->def());
    if (drop_input_) input_ = Image();
  }
  texture_worlds_.clear();
  for (const auto& t : textures_) {
    texture_worlds_[t.first] =
        WorldFromImage(DownsampleImage(t.second, n), settings_.deep, kTextureRowPadding);
    session_->SetLayer(t.first, texture_worlds_[t.first]->def());
  }
  worlds_stale_ = false;
}

void RenderJob::SetFrameRecords(int frame) {
  PF_InData& in = session_->in_data();
  in.quality = settings_.high_quality ? PF_Quality_HI : PF_Quality_LO;
  in.time_scale = settings_.time_scale;
  in.time_step = settings_.time_step;
  in.local_time_step = settings_.time_step;
  in.current_time = frame * in.time_step;
  in.downsample_x = PF_RationalScale{1, static_cast<A_u_long>(settings_.downsample)};
  in.downsample_y = PF_RationalScale{1, static_cast<A_u_long>(settings_.downsample)};
  // The layer's nominal size; the worlds are smaller when downsampled.
  session_->SetLayerSize(layer_width_, layer_height_);
}

FrameResult RenderJob::RenderFrame(int frame, bool with_image) {
  PrepareWorlds();
  SetFrameRecords(frame);
  // The other output world than the last frame's, cleared as a new one would be; a new
  // world when the size or depth changed.
  if (outputs_[current_]) current_ = 1 - current_;
  std::unique_ptr<World>& output = outputs_[current_];
  if (output && output->Fits(output_width(), output_height(), settings_.deep, kOutputRowPadding))
    output->Clear();
  else
    output = std::make_unique<World>(output_width(), output_height(), settings_.deep,
                                     kOutputRowPadding);
  if (settings_.patterned_output) {
    if (settings_.deep)
      output->Fill(PF_Pixel16{12345, 32768, 7, 20000});
    else
      output->Fill(PF_Pixel{0xA7, 0x3C, 0xE1, 0x5A});
  }
  session_->ClearCallRecords();
  session_->ClearProblems();
  const size_t handles_before = session_->handles().live();

  FrameResult result;
  {
    PointScale points(*session_, settings_.downsample);
    result.err = session_->Render(&output->def());
  }
  if (with_image) result.image = ImageFromWorld(*output);
  result.problems = CheckBalance(handles_before);
  return result;
}

std::vector<std::string> RenderJob::CheckBalance(size_t handles_before) const {
  std::vector<std::string> problems = session_->problems();
  const PF_InData& in = session_->in_data();
  for (const CheckoutCall& c : session_->checkouts()) {
    if (c.what_time != in.current_time || c.time_step != in.local_time_step ||
        c.time_scale != in.time_scale)
      problems.push_back("parameter " + std::to_string(c.index) + " checked out at time " +
                         std::to_string(c.what_time) + " step " + std::to_string(c.time_step) +
                         " scale " + std::to_string(c.time_scale) + ", the frame is at " +
                         std::to_string(in.current_time) + " step " +
                         std::to_string(in.local_time_step) + " scale " +
                         std::to_string(in.time_scale));
  }
  if (session_->outstanding_checkouts() != 0)
    problems.push_back(std::to_string(session_->outstanding_checkouts()) +
                       " check-out(s) not checked in");
  if (session_->handles().live() != handles_before)
    problems.push_back("the render left " + std::to_string(session_->handles().live()) +
                       " handles alive, there were " + std::to_string(handles_before));
  if (in.sequence_data && session_->handles().LockCount(in.sequence_data) != 0)
    problems.push_back("the sequence handle is left locked");
  return problems;
}

}  // namespace qvhost
