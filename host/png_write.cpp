// Writing PNG files with the platform's own codec: libpng natively, the Windows Imaging
// Component on Windows. Both write RGBA at 8 or 16 bits per channel, from an image or
// straight from a host world, under a temporary name put in place once the file is whole.
#include "host/image.h"
#include "host/pending_file.h"
#include "host/world_png.h"

#if defined(_WIN32)
#include <windows.h>
#include <wincodec.h>

#include "host/wide_text.h"

namespace qvhost {
namespace {

// Releases a COM interface when it goes out of scope.
template <typename T>
struct ComRef {
  T* p = nullptr;
  ~ComRef() {
    if (p) p->Release();
  }
  T** out() { return &p; }
  T* operator->() const { return p; }
};

// Wine's PNG encoder copies 16-bit samples into the file as they lie in memory, while
// Windows' takes them in the machine's (little-endian) order and swaps them for the file.
bool EncoderWantsFileOrder() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

bool WritePng(const std::string& path, const Image& image, std::string& error) {
  if (image.empty() || (image.depth != 8 && image.depth != 16)) {
    error = "nothing to write to " + path;
    return false;
  }
  HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  bool ok = false;
  PendingFile file(path);
  {
    ComRef<IWICImagingFactory> factory;
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapEncoder> encoder;
    ComRef<IWICBitmapFrameEncode> frame;
    ComRef<IPropertyBag2> options;
    const bool deep = image.depth == 16;
    // The PNG encoder takes 16-bit RGBA, and 8-bit pixels in blue, green, red, alpha order.
    WICPixelFormatGUID format = deep ? GUID_WICPixelFormat64bppRGBA : GUID_WICPixelFormat32bppBGRA;
    const WICPixelFormatGUID wanted = format;
    // Pack the channels at the file's width.
    const size_t count = image.rgba.size();
    const bool swap16 = deep && EncoderWantsFileOrder();
    std::vector<BYTE> bytes(count * (deep ? 2 : 1));
    for (size_t i = 0; i < count; ++i) {
      if (deep) {
        const uint16_t v = image.rgba[i];
        bytes[2 * i] = static_cast<BYTE>(swap16 ? v >> 8 : v & 0xFF);
        bytes[2 * i + 1] = static_cast<BYTE>(swap16 ? v & 0xFF : v >> 8);
      }
      else  // red and blue change places
        bytes[i % 4 == 0 ? i + 2 : i % 4 == 2 ? i - 2 : i] = static_cast<BYTE>(image.rgba[i]);
    }
    const UINT stride = static_cast<UINT>(image.width) * (deep ? 8u : 4u);
    ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(factory.out()))) &&
         SUCCEEDED(factory->CreateStream(stream.out())) &&
         SUCCEEDED(stream->InitializeFromFilename(WidenUtf8(file.temporary()).c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out())) &&
         SUCCEEDED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder->CreateNewFrame(frame.out(), options.out())) &&
         SUCCEEDED(frame->Initialize(options.p)) &&
         SUCCEEDED(frame->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height))) &&
         SUCCEEDED(frame->SetPixelFormat(&format)) && IsEqualGUID(format, wanted) &&
         SUCCEEDED(frame->WritePixels(static_cast<UINT>(image.height), stride,
                                      static_cast<UINT>(bytes.size()), bytes.data())) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  }
  if (SUCCEEDED(init)) CoUninitialize();
  if (!ok) {
    error = "cannot write " + path;
    return false;
  }
  return file.Commit(error);
}

bool WriteWorldPng(const std::string& path, const World& world, std::string& error) {
  return WritePng(path, ImageFromWorld(world), error);
}

}  // namespace qvhost

#else
#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

namespace qvhost {

namespace {

// What the encoder reported before it gave up, and the system's reason at that moment.
struct EncoderTrouble {
  std::string message;
  int system_error = 0;
};

[[noreturn]] void EncoderError(png_structp png, png_const_charp message) {
  auto* trouble = static_cast<EncoderTrouble*>(png_get_error_ptr(png));
  trouble->system_error = errno;
  trouble->message = message ? message : "";
  png_longjmp(png, 1);
}

// Warnings are kept, not printed: only an error that follows ends the write.
void EncoderWarning(png_structp png, png_const_charp message) {
  auto* trouble = static_cast<EncoderTrouble*>(png_get_error_ptr(png));
  if (trouble->message.empty() && message) trouble->message = message;
}

// The failure as a person reads it: running out of memory named as such, a write error
// with the system's reason.
std::string WriteFailure(const std::string& path, const EncoderTrouble& t) {
  const bool no_memory = t.system_error == ENOMEM ||
                         t.message.find("memory") != std::string::npos ||
                         t.message.find("Memory") != std::string::npos;
  if (no_memory) return "out of memory writing " + path;
  std::string text = "cannot write " + path;
  if (!t.message.empty()) text += ": " + t.message;
  if (t.system_error) text += std::string(" (") + std::strerror(t.system_error) + ")";
  return text;
}

// Fills one file row (RGBA; 16-bit samples big-endian) for row y.
using RowFill = std::function<void(int y, png_byte* row)>;

bool WriteRows(const std::string& path, int width, int height, bool deep, const RowFill& fill,
               std::string& error) {
  // The row before the encoder exists.
  std::vector<png_byte> row(static_cast<size_t>(width) * 4 * (deep ? 2 : 1));
  PendingFile pending(path);
  FILE* file = std::fopen(pending.temporary().c_str(), "wb");
  if (!file) {
    error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  // Closed on every path; on success the close is checked too, since a full disk may only
  // show when the last buffered bytes are written.
  std::unique_ptr<FILE, int (*)(FILE*)> closer(file, std::fclose);
  EncoderTrouble trouble;
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, &trouble, EncoderError, EncoderWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    error = "out of memory writing " + path;
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    error = WriteFailure(path, trouble);
    return false;
  }
  png_init_io(png, file);
  // Written for speed: the fastest deflate level and the one "up" filter instead of the
  // default level with every filter tried on every row. Frames of a render come out about
  // a half larger and several times faster to write.
  png_set_compression_level(png, 1);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
               deep ? 16 : 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    fill(y, row.data());
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  errno = 0;
  const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
  const bool closed = std::fclose(closer.release()) == 0;
  if (!flushed || !closed) {
    trouble.system_error = errno;
    error = WriteFailure(path, trouble);
    return false;
  }
  return pending.Commit(error);
}

void PutSample16(png_byte* at, uint16_t v) {
  at[0] = static_cast<png_byte>(v >> 8);
  at[1] = static_cast<png_byte>(v & 0xFF);
}

}  // namespace

bool WritePng(const std::string& path, const Image& image, std::string& error) {
  if (image.empty() || (image.depth != 8 && image.depth != 16)) {
    error = "nothing to write to " + path;
    return false;
  }
  const bool deep = image.depth == 16;
  const size_t row_channels = static_cast<size_t>(image.width) * 4;
  return WriteRows(path, image.width, image.height, deep, [&](int y, png_byte* row) {
    const uint16_t* src = &image.rgba[static_cast<size_t>(y) * row_channels];
    for (size_t i = 0; i < row_channels; ++i) {
      if (deep)
        PutSample16(row + 2 * i, src[i]);
      else
        row[i] = static_cast<png_byte>(src[i]);
    }
  }, error);
}

bool WriteWorldPng(const std::string& path, const World& world, std::string& error) {
  if (world.width() <= 0 || world.height() <= 0) {
    error = "nothing to write to " + path;
    return false;
  }
  const bool deep = world.deep();
  const int width = world.width();
  return WriteRows(path, width, world.height(), deep, [&](int y, png_byte* row) {
    if (deep) {  // the host's 0..32768 spread over the file's 0..65535
      const PF_Pixel16* p = &world.Pixel16(0, y);
      for (int x = 0; x < width; ++x, row += 8) {
        const uint16_t c[4] = {p[x].red, p[x].green, p[x].blue, p[x].alpha};
        for (int k = 0; k < 4; ++k)
          PutSample16(row + 2 * k, RescaleChannel(c[k], kFullWorld16, kFullFile16));
      }
      return;
    }
    const PF_Pixel* p = &world.Pixel8(0, y);
    for (int x = 0; x < width; ++x, row += 4)
      row[0] = p[x].red, row[1] = p[x].green, row[2] = p[x].blue, row[3] = p[x].alpha;
  }, error);
}

}  // namespace qvhost
#endif
