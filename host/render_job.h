// Rendering frames through the module as the host does: one session with the effect set up
// (global, parameter and sequence setup), an input layer and up to five texture layers made
// from images, and for each frame an output world at the chosen depth, size and quality,
// the frame's time, the render command, and the output back as an image. File formats stay
// with the caller: this works on images only.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/image.h"
#include "host/session.h"
#include "host/world.h"

namespace qvhost {

class Module;

// The effect cannot be set up (global, parameter or sequence setup failed).
class RenderSetupError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RenderSettings {
  bool deep = false;  // 16 bits a channel (the host's 0..32768) instead of 8
  bool high_quality = true;  // PF_Quality_HI, else PF_Quality_LO
  int downsample = 1;  // N: the frame is rendered at 1/N of the layer size in both directions
  // Frame k is at time k * time_step of time_scale units a second: time_scale frames a
  // second for a whole rate, 30000 and 1001 for NTSC's 29.97.
  A_u_long time_scale = 30;
  A_long time_step = 1;
  // The output world's pixels before each render: zero as in a new world, or (true) a
  // pattern of unlikely values, as a host that reuses its buffers leaves them; the effect
  // must write every pixel either way.
  bool patterned_output = false;
};

// Extra bytes at the end of every row of the host's worlds, different for each kind so
// that an effect that mixes up row sizes shows (multiples of 8, so that deep row sizes
// stay whole 16-bit units).
constexpr int kOutputRowPadding = 24;
constexpr int kInputRowPadding = 40;
constexpr int kTextureRowPadding = 56;

// One rendered frame.
struct FrameResult {
  PF_Err err = PF_Err_NONE;  // the render command's result
  Image image;  // the output at the render's depth (also when err is not 0)
  // Faults in the effect's use of the host seen during this frame: check-outs not at the
  // frame's time, check-outs not checked in, handles left locked or created and not
  // disposed, and the session's own problem reports.
  std::vector<std::string> problems;
};

class RenderJob {
 public:
  // Opens a session over the module and sets the effect up for a layer of the given size,
  // with the built-in background as its input. Throws RenderSetupError.
  RenderJob(std::shared_ptr<const Module> module, int layer_width, int layer_height);
  // The same over an entry point linked into the program (for tests of the effect itself).
  RenderJob(PF_EntryPoint entry, Pipl pipl, int layer_width, int layer_height);
  // Sequence setdown and global setdown.
  ~RenderJob();
  RenderJob(const RenderJob&) = delete;
  RenderJob& operator=(const RenderJob&) = delete;

  // The session, for its parameter values (values() and value(i), at the layer's full
  // size: the job scales points for downsampled frames) and its call records.
  Session& session() { return *session_; }

  int layer_width() const { return layer_width_; }
  int layer_height() const { return layer_height_; }

  // The input layer. Its size must be the layer's.
  void SetInput(Image image);
  // The texture layer parameters: the layer parameters the effect defined, in its order.
  const std::vector<int>& texture_params() const { return texture_params_; }

  // A texture layer parameter (one of texture_params()) shows this image; any size.
  void SetTextureLayer(int param, Image image);
  void ClearTextureLayer(int param);

  // The input image is dropped once its world is made, so that a long render does not hold
  // the layer twice (at 3840 x 2160, 16-bit, 66 MB). Its world stays; a later change of depth
  // or downsampling then needs SetInput again (SetSettings throws std::logic_error).
  void DropInputOnceMade() { drop_input_ = true; }

  void SetSettings(const RenderSettings& settings);
  const RenderSettings& settings() const { return settings_; }

  // The output size of a frame: the layer size divided by the downsample factor, rounded up.
  int output_width() const;
  int output_height() const;

  // Renders frame `frame` (at time frame x time_step) with the current parameter values.
  // Without `with_image` the result's image stays empty: the output is then only in
  // last_output() (a caller that writes it straight to a file needs no copy).
  FrameResult RenderFrame(int frame, bool with_image = true);

  // Faults the host found in the effect's setup (version, flags, parameters).
  const std::vector<std::string>& setup_problems() const { return setup_problems_; }

  // The output world of the last frame (null before the first). It stays as it is through
  // the next frame, which renders into a second world (so the last frame can be written
  // out meanwhile); the frame after that reuses it.
  const World* last_output() const { return outputs_[current_].get(); }

 private:
  RenderJob(std::unique_ptr<Session> session, int layer_width, int layer_height);
  void PrepareWorlds();
  void SetFrameRecords(int frame);
  std::vector<std::string> CheckBalance(size_t handles_before) const;

  std::unique_ptr<Session> session_;
  int layer_width_;
  int layer_height_;
  RenderSettings settings_;
  Image input_;  // empty once dropped (DropInputOnceMade)
  bool drop_input_ = false;
  std::map<int, Image> textures_;
  // Worlds made from the images at the current settings; rebuilt when they change.
  bool worlds_stale_ = true;
  std::unique_ptr<World> input_world_;
  std::map<int, std::unique_ptr<World>> texture_worlds_;
  std::unique_ptr<World> outputs_[2];  // the frames' output worlds, used in turn
  int current_ = 0;  // the one of the last frame
  bool sequence_ready_ = false;
  std::vector<int> texture_params_;
  std::vector<std::string> setup_problems_;
};

}  // namespace qvhost
