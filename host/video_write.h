// Frames written as one video file through the ffmpeg program: the frames go down a pipe
// as raw RGBA (8 or 16 bits a channel) and ffmpeg encodes them by the file's extension:
// .mp4 (H.264, sizes padded to even), .webm (VP9 with alpha) or .gif (one palette made
// for the whole animation). The sound of another file (a clip the frames were drawn over)
// can go with the frames, except into a GIF. The video is written under a temporary name and renamed when
// ffmpeg has finished well, so a failed run leaves no half-written file and an older file
// of the name stays as it was.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/image.h"
#include "host/pending_file.h"
#include "host/program_pipe.h"

namespace qvhost {

// ffmpeg cannot be started, refuses the frames or fails: the message says which.
class VideoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class VideoKind { kNone, kMp4, kWebm, kGif };

// The kind of video a file name asks for, by its extension in any case; kNone for others.
VideoKind VideoKindOf(const std::string& path);

// The frames of a video and what goes with them.
struct VideoFormat {
  int width = 0, height = 0;
  int depth = 8;  // bits a channel of the frames sent
  int rate_num = 30, rate_den = 1;  // frames a second, as a fraction (30000/1001 for 29.97)
  std::string sound;  // a file whose first sound track goes with the frames; empty for none
  double sound_start = 0;  // where in it (seconds) the sound of the first frame is
};

// The arguments ffmpeg is started with (without the program name) to encode raw frames in
// `format` from its standard input into `file` as `kind`.
std::vector<std::string> FfmpegArguments(VideoKind kind, const std::string& file,
                                         const VideoFormat& format);

class VideoWriter {
 public:
  // Starts ffmpeg for frames in `format`. Throws VideoError when ffmpeg cannot be started.
  VideoWriter(const std::string& path, const VideoFormat& format);
  // Without Finish: stops ffmpeg, waits for it and removes what it wrote.
  ~VideoWriter();
  VideoWriter(const VideoWriter&) = delete;
  VideoWriter& operator=(const VideoWriter&) = delete;

  // Sends one frame (of the writer's size and depth). Throws VideoError.
  void Write(const Image& frame);
  // Ends the stream, waits for ffmpeg and puts the file in place. Throws VideoError.
  void Finish();

  const std::string& path() const { return path_; }

 private:
  [[noreturn]] void Fail(const std::string& message);

  std::string path_;
  std::unique_ptr<PendingFile> partial_;  // the file ffmpeg writes until it is done
  int width_, height_, depth_;
  std::unique_ptr<ProgramPipe> pipe_;  // the running ffmpeg; null once finished (after partial_:
                                       // stopped before its file is removed)
  std::vector<uint8_t> buffer_;  // one frame as the pipe carries it
};

}  // namespace qvhost
