// Reading PNG files through stb_image (the same decoder in both builds).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "host/image.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO_IMPL_WARNINGS
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace qvhost {

namespace {

// Why the decoder gave no pixels. It may give no reason at all; running out of memory is
// named as such so that it reads like every other out-of-memory failure.
std::string DecodeFailure(const char* reason) {
  if (reason && std::strcmp(reason, "outofmem") == 0) return "out of memory reading the PNG";
  return std::string("not a readable PNG (") + (reason ? reason : "no reason given") + ")";
}

}  // namespace

bool ReadPng(const std::string& path, Image& image, std::string& error) {
  // Only a plain file: opening a FIFO would wait for a writer for ever, a folder or a device
  // holds no picture.
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!ec && status.type() != std::filesystem::file_type::regular) {
    error = "cannot open " + path + ": " +
            (status.type() == std::filesystem::file_type::directory ? "a directory"
                                                                    : "not a plain file");
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  std::unique_ptr<FILE, int (*)(FILE*)> closer(file, std::fclose);
  int width = 0, height = 0, channels = 0;
  const bool deep = stbi_is_16_bit_from_file(file) != 0;
  std::fseek(file, 0, SEEK_SET);
  void* pixels = deep ? static_cast<void*>(stbi_load_from_file_16(file, &width, &height, &channels, 4))
                      : static_cast<void*>(stbi_load_from_file(file, &width, &height, &channels, 4));
  if (!pixels) {
    error = path + ": " + DecodeFailure(stbi_failure_reason());
    return false;
  }
  // Released on every path, also when the copy below cannot get its memory.
  std::unique_ptr<void, void (*)(void*)> decoded(pixels, stbi_image_free);
  image.width = width;
  image.height = height;
  image.depth = deep ? 16 : 8;
  const size_t count = static_cast<size_t>(width) * height * 4;
  image.rgba.resize(count);
  for (size_t i = 0; i < count; ++i)
    image.rgba[i] = deep ? static_cast<const uint16_t*>(pixels)[i]
                         : static_cast<const uint8_t*>(pixels)[i];
  return true;
}

}  // namespace qvhost
