// One instance of the frei0r filter: one application of the effect to a stream of frames
// of one size. It plays the host's part in process: a session with parameter and sequence
// setup (the pendant model is read from beside the filter), the parameter values frei0r
// sets, and for each frame the input frame as the effect's layer, an output world, the
// frame's time and the render command. Texture layers show the PNG files their string
// parameters name.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frei0r/param_map.h"
#include "host/session.h"
#include "host/world.h"

namespace qvfrei0r {

class Filter {
 public:
  // Sets the effect up for frames of width x height. Throws std::runtime_error when the
  // effect cannot be set up (call LoadEffect first).
  Filter(int width, int height);
  // Sequence setdown.
  ~Filter();
  Filter(const Filter&) = delete;
  Filter& operator=(const Filter&) = delete;

  // frei0r parameter `param` (an index into EffectParams()) from a frei0r value; false
  // with a message for an unknown index or a value the parameter cannot take.
  bool Set(int param, const void* value, std::string& error);
  // The parameter's value as frei0r sees it; nothing is written for an unknown index.
  void Get(int param, void* value);

  // Renders the frame at `time` seconds: `in` over the effect into `out` (both RGBA8888 of
  // the filter's size). When the render fails the input is passed through unchanged and
  // false is returned with a message.
  bool Update(double time, const uint32_t* in, uint32_t* out, std::string& error);

  // The host side of the instance, for tests that watch or hinder it.
  qvhost::Session& session() { return *session_; }

 private:
  bool SetLayerFile(int index, const char* path, std::string& kept, std::string& error);

  std::unique_ptr<qvhost::Session> session_;
  FrameSize size_;
  qvhost::World input_;
  qvhost::World output_;
  std::vector<std::string> texts_;  // the strings Get hands out, one per parameter
  std::map<int, std::unique_ptr<qvhost::World>> layers_;  // texture layers by index
  bool sequence_ready_ = false;
};

}  // namespace qvfrei0r
