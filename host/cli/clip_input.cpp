// Clips through ffprobe and ffmpeg: the stream's size, rate and frame count, then the
// frames asked for, cut out by frame number (not by time, which a container may round), at
// the clip's own rate and in its stored orientation, as raw RGBA.
#include "host/cli/clip_input.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

namespace {

constexpr int kLargestSide = 16384;  // as --size allows

// Runs a program and returns all it writes on its standard output, and its exit status.
int Capture(const std::string& program, const std::vector<std::string>& arguments,
            std::string& output) {
  qvhost::ProgramPipe pipe(program, arguments, qvhost::ProgramPipe::Direction::kFromOutput);
  char chunk[4096];
  size_t n;
  while ((n = pipe.Read(chunk, sizeof chunk)) > 0) output.append(chunk, n);
  return pipe.Close();
}

// "key=value" lines.
std::map<std::string, std::string> Fields(const std::string& text) {
  std::map<std::string, std::string> fields;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const size_t eq = line.find('=');
    if (eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 1);
    start = end + 1;
  }
  return fields;
}

// A whole number from 1 to `hi`, or 0 when the text is not one.
long Positive(const std::string& text, long hi) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  return end != text.c_str() && *end == '\0' && v >= 1 && v <= hi ? v : 0;
}

// "N/D" with both positive; false for ffprobe's "0/0" (unknown).
bool ParseRate(const std::string& text, int& num, int& den) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  num = static_cast<int>(Positive(text.substr(0, slash), 1000000));
  den = static_cast<int>(Positive(text.substr(slash + 1), 1000000));
  return num > 0 && den > 0;
}

// A file name as ffmpeg's programs take it: one that begins with '-' would be an option.
std::string AsInput(const std::string& path) { return path[0] == '-' ? "file:" + path : path; }

}  // namespace

bool IsClip(const std::string& path) {
  static const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  // Only a plain file is looked into (a FIFO would hold the open for ever); anything else is
  // left to the PNG reader, which says what it is.
  std::error_code ec;
  if (std::filesystem::status(path, ec).type() != std::filesystem::file_type::regular)
    return false;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned char head[8] = {};
  const size_t n = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  return n != sizeof head || std::memcmp(head, kPngSignature, sizeof head) != 0;
}

ClipInfo ProbeClip(const std::string& path) {
  std::string output;
  int status = 0;
  try {
    status = Capture("ffprobe", {"-v", "error", "-select_streams", "v:0", "-count_packets",
                                 "-show_entries",
                                 "stream=width,height,avg_frame_rate,r_frame_rate,nb_read_packets",
                                 "-of", "default=noprint_wrappers=1", AsInput(path)},
                     output);
  } catch (const qvhost::PipeError& e) {
    throw ClipError(std::string(e.what()) + " (ffprobe reads clips; Debian: apt install ffmpeg)");
  }
  if (status != 0) throw ClipError(path + ": not a video or image that ffmpeg can decode");
  std::map<std::string, std::string> f = Fields(output);
  if (f.count("width") == 0) throw ClipError(path + ": holds no video");
  ClipInfo info;
  info.width = static_cast<int>(Positive(f["width"], kLargestSide));
  info.height = static_cast<int>(Positive(f["height"], kLargestSide));
  info.frames = static_cast<int>(Positive(f["nb_read_packets"], 100000));
  if (info.width == 0 || info.height == 0)
    throw ClipError(path + ": its video is " + f["width"] + "x" + f["height"] +
                    ", expected 1 to " + std::to_string(kLargestSide) + " pixels a side");
  if (info.frames == 0) throw ClipError(path + ": its video holds no frames");
  if (!ParseRate(f["avg_frame_rate"], info.rate_num, info.rate_den) &&
      !ParseRate(f["r_frame_rate"], info.rate_num, info.rate_den))
    throw ClipError(path + ": its video has no frame rate");
  return info;
}

ClipReader::ClipReader(const std::string& path, const ClipInfo& info, int first, int last,
                       int depth)
    : path_(path), info_(info), depth_(depth), count_(last - first + 1) {
  // The rows come packed: RGBA at the depth, width x 4 values a row, no padding.
  const std::vector<std::string> args = {
      "-nostdin", "-hide_banner", "-loglevel", "error", "-noautorotate", "-i", AsInput(path),
      "-map", "0:v:0", "-vf",
      // Every frame at the probed size, so that a stream whose size changes midway cannot
      // shear the rows.
      "trim=start_frame=" + std::to_string(first) + ":end_frame=" + std::to_string(last + 1) +
          ",scale=" + std::to_string(info.width) + ":" + std::to_string(info.height),
      "-fps_mode", "passthrough", "-f", "rawvideo", "-pix_fmt",
      depth == 16 ? "rgba64le" : "rgba", "pipe:1"};
  try {
    pipe_ = std::make_unique<qvhost::ProgramPipe>("ffmpeg", args,
                                                  qvhost::ProgramPipe::Direction::kFromOutput);
  } catch (const qvhost::PipeError& e) {
    throw ClipError(std::string(e.what()) + " (ffmpeg decodes clips; Debian: apt install ffmpeg)");
  }
}

ClipReader::~ClipReader() = default;  // closing the pipe stops ffmpeg

void ClipReader::Fail(const std::string& message) {
  pipe_.reset();
  throw ClipError(path_ + ": " + message);
}

qvhost::Image ClipReader::Next() {
  if (!pipe_ || delivered_ == count_) throw ClipError(path_ + ": no more frames were asked for");
  qvhost::Image image;
  image.width = info_.width;
  image.height = info_.height;
  image.depth = depth_;
  const size_t values = static_cast<size_t>(info_.width) * info_.height * 4;
  std::vector<uint8_t> bytes(values * (depth_ == 16 ? 2 : 1));
  size_t got = 0;
  try {
    got = pipe_->Read(bytes.data(), bytes.size());
  } catch (const qvhost::PipeError& e) {
    Fail(e.what());
  }
  if (got != bytes.size()) {
    const int status = pipe_->Close();
    Fail(status != 0 ? "ffmpeg failed to decode it (exit status " + std::to_string(status) + ")"
                     : "the clip ended after " + std::to_string(delivered_) + " of the " +
                           std::to_string(count_) + " frames asked for");
  }
  image.rgba.resize(values);
  if (depth_ == 16) {  // rgba64le: low byte first
    for (size_t i = 0; i < values; ++i)
      image.rgba[i] = static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  } else {
    for (size_t i = 0; i < values; ++i) image.rgba[i] = bytes[i];
  }
  ++delivered_;
  return image;
}

void ClipReader::Finish() {
  if (!pipe_) return;
  char rest[4096];
  try {
    while (pipe_->Read(rest, sizeof rest) > 0) {
    }
  } catch (const qvhost::PipeError& e) {
    Fail(e.what());
  }
  const int status = pipe_->Close();
  pipe_.reset();
  if (status != 0) throw ClipError(path_ + ": ffmpeg failed (exit status " + std::to_string(status) + ")");
}
