// Videos through ffmpeg: the command for each kind, the frames down the pipe, and the
// finished file put in place only when ffmpeg succeeded.
#include "host/video_write.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace qvhost {

namespace {

std::string LowerExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// What each kind asks of the encoder after the input.
std::vector<std::string> EncoderArguments(VideoKind kind) {
  switch (kind) {
    case VideoKind::kMp4:
      // 4:2:0 needs even sizes: an odd edge gets one more row or column.
      return {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2", "-c:v", "libx264", "-pix_fmt", "yuv420p",
              "-crf", "18", "-movflags", "+faststart", "-f", "mp4"};
    case VideoKind::kWebm:
      // VP9 keeps the alpha channel ("Cut alpha" frames stay transparent).
      return {"-c:v", "libvpx-vp9", "-pix_fmt", "yuva420p", "-crf", "30", "-b:v", "0",
              "-row-mt", "1", "-f", "webm"};
    case VideoKind::kGif:
      // One palette from all frames, then each frame mapped to it; loops for ever.
      return {"-filter_complex",
              "split[a][b];[a]palettegen=reserve_transparent=1[p];[b][p]paletteuse",
              "-loop", "0", "-f", "gif"};
    case VideoKind::kNone: break;
  }
  return {};
}

// The sound's input and its encoding, for the kinds that carry sound: the first sound
// track, if the file has one, cut where the frames end.
std::vector<std::string> SoundArguments(VideoKind kind, const VideoFormat& f) {
  if (f.sound.empty() || kind == VideoKind::kGif) return {};
  char start[32];
  std::snprintf(start, sizeof start, "%.6f", f.sound_start);
  return {"-ss", start, "-i", f.sound, "-map", "0:v:0", "-map", "1:a:0?", "-c:a",
          kind == VideoKind::kWebm ? "libopus" : "aac", "-b:a", "160k", "-shortest"};
}

}  // namespace

VideoKind VideoKindOf(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext == "mp4") return VideoKind::kMp4;
  if (ext == "webm") return VideoKind::kWebm;
  if (ext == "gif") return VideoKind::kGif;
  return VideoKind::kNone;
}

std::vector<std::string> FfmpegArguments(VideoKind kind, const std::string& file,
                                         const VideoFormat& f) {
  std::vector<std::string> args = {
      // -xerror: any error ends ffmpeg with a failure, even one that comes only when the
      // file is finished (a trailer that a full disk does not take).
      "-nostdin", "-hide_banner", "-loglevel", "error", "-xerror", "-y",
      "-f", "rawvideo", "-pix_fmt", f.depth == 16 ? "rgba64le" : "rgba",
      "-s", std::to_string(f.width) + "x" + std::to_string(f.height),
      "-framerate", std::to_string(f.rate_num) + "/" + std::to_string(f.rate_den),
      "-i", "pipe:0"};
  const std::vector<std::string> sound = SoundArguments(kind, f);
  args.insert(args.end(), sound.begin(), sound.end());
  const std::vector<std::string> encoder = EncoderArguments(kind);
  args.insert(args.end(), encoder.begin(), encoder.end());
  args.push_back(file);
  return args;
}

VideoWriter::VideoWriter(const std::string& path, const VideoFormat& format)
    : path_(path), partial_(std::make_unique<PendingFile>(path)), width_(format.width),
      height_(format.height), depth_(format.depth) {
  const VideoKind kind = VideoKindOf(path);
  if (kind == VideoKind::kNone) throw VideoError(path + ": not a .mp4, .webm or .gif name");
  try {
    pipe_ = std::make_unique<ProgramPipe>(
        "ffmpeg", FfmpegArguments(kind, partial_->temporary(), format));
  } catch (const PipeError& e) {
    throw VideoError(std::string(e.what()) + " (ffmpeg writes videos; Debian: apt install ffmpeg)");
  }
}

// Without Finish the pipe's end stops ffmpeg, and the partial file's its file.
VideoWriter::~VideoWriter() = default;

void VideoWriter::Fail(const std::string& message) {
  pipe_.reset();
  partial_.reset();
  throw VideoError(path_ + ": " + message);
}

void VideoWriter::Write(const Image& frame) {
  if (!pipe_) throw VideoError(path_ + ": the video is already finished");
  if (frame.width != width_ || frame.height != height_ || frame.depth != depth_)
    Fail("a frame of " + std::to_string(frame.width) + "x" + std::to_string(frame.height) +
         " at " + std::to_string(frame.depth) + " bits in a video of " + std::to_string(width_) +
         "x" + std::to_string(height_) + " at " + std::to_string(depth_));
  const size_t values = frame.rgba.size();
  if (depth_ == 16) {  // rgba64le: two bytes a value, low byte first
    buffer_.resize(values * 2);
    for (size_t i = 0; i < values; ++i) {
      buffer_[2 * i] = static_cast<uint8_t>(frame.rgba[i] & 0xFF);
      buffer_[2 * i + 1] = static_cast<uint8_t>(frame.rgba[i] >> 8);
    }
  } else {
    buffer_.resize(values);
    for (size_t i = 0; i < values; ++i) buffer_[i] = static_cast<uint8_t>(frame.rgba[i]);
  }
  try {
    pipe_->Write(buffer_.data(), buffer_.size());
  } catch (const PipeError&) {
    const int status = pipe_->Close();
    Fail("ffmpeg stopped (exit status " + std::to_string(status) + ")");
  }
}

void VideoWriter::Finish() {
  if (!pipe_) throw VideoError(path_ + ": the video is already finished");
  const int status = pipe_->Close();
  if (status != 0) Fail("ffmpeg failed (exit status " + std::to_string(status) + ")");
  pipe_.reset();
  std::string error;
  if (!partial_->Commit(error)) throw VideoError(error);
}

}  // namespace qvhost
