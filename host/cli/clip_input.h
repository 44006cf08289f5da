// A video clip as the input layer of `quorvel render`: what ffprobe tells of the clip's
// first video stream, and its frames decoded by ffmpeg down a pipe as packed RGBA rows
// (width x 4 values, no padding between rows), 8 or 16 bits a channel, one image a frame.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "host/image.h"
#include "host/program_pipe.h"

// The clip cannot be read or decoded, or ends before the frames it promised; the message
// names the clip and says which.
struct ClipError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct ClipInfo {
  int width = 0, height = 0;
  int rate_num = 0, rate_den = 1;  // frames a second, as ffprobe gives it (30000/1001)
  int frames = 0;  // frames in the stream, counted from its packets
};

// Whether an input file is to be decoded by ffmpeg: any plain file that does not begin as a
// PNG image does. A file that is not plain or cannot be opened is not (the PNG reader names
// the reason).
bool IsClip(const std::string& path);

// The clip's first video stream through ffprobe. Throws ClipError when there is none that
// ffmpeg can read, or ffprobe cannot be run.
ClipInfo ProbeClip(const std::string& path);

// Frames first..last (from 0) of a clip, in order, decoded by one ffmpeg.
class ClipReader {
 public:
  // Starts ffmpeg; `depth` is 8 or 16 bits a channel. Throws ClipError.
  ClipReader(const std::string& path, const ClipInfo& info, int first, int last, int depth);
  ~ClipReader();
  ClipReader(const ClipReader&) = delete;
  ClipReader& operator=(const ClipReader&) = delete;

  // The next frame. Throws ClipError when the clip ends before it or ffmpeg fails.
  qvhost::Image Next();
  // After the last frame: waits for ffmpeg and throws ClipError if it failed.
  void Finish();

 private:
  [[noreturn]] void Fail(const std::string& message);

  std::string path_;
  ClipInfo info_;
  int depth_;
  int delivered_ = 0, count_;
  std::unique_ptr<qvhost::ProgramPipe> pipe_;
};
