// Bitmap resources as 24-bit bottom-up DIB pixels: through GDI on Windows, from the
// embedded .bmp files natively.
#include "platform/os/bitmap_resource.h"

#include <string.h>

#if defined(_WIN32)
#include <windows.h>

#include "platform/os/module_handle.h"
#else
#include "platform/os/embedded_bitmaps.h"
#endif

size_t Dib24RowBytes(int width) {
  return width > 0 ? (static_cast<size_t>(width) * 24 + 31) / 32 * 4 : 0;
}

namespace {

bool FitsBuffer(int width, int height, size_t size) {
  return width > 0 && height > 0 && Dib24RowBytes(width) * static_cast<size_t>(height) <= size;
}

#if defined(_WIN32)

// The bitmap's own size, so that a resource of another size is refused, not stretched.
bool HasSize(HBITMAP bitmap, int width, int height) {
  BITMAP info;
  if (GetObjectA(bitmap, sizeof info, &info) != sizeof info) return false;
  return info.bmWidth == width && info.bmHeight == height;
}

bool ReadDib(HBITMAP bitmap, int width, int height, unsigned char* pixels) {
  BITMAPINFO bmi;
  memset(&bmi, 0, sizeof bmi);
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);  // 40
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = height;  // positive: bottom-up
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 24;
  bmi.bmiHeader.biCompression = BI_RGB;
  // A memory device context: it needs no display, and the bitmap is not selected into it.
  HDC memory = CreateCompatibleDC(nullptr);
  if (!memory) return false;
  int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels, &bmi,
                       DIB_RGB_COLORS);
  DeleteDC(memory);
  return rows == height;
}

#endif

unsigned ReadLe(const unsigned char* p, int bytes) {
  unsigned v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

// The rows of a .bmp file: 24 bits, uncompressed, exactly width x height, all inside the
// file. Bottom-up files are copied as they are, top-down ones row by row reversed.
bool ReadBmpFile(const unsigned char* file, size_t size, int width, int height,
                 unsigned char* pixels) {
  constexpr size_t kFileHeader = 14, kInfoHeader = 40;
  if (size < kFileHeader + kInfoHeader || file[0] != 'B' || file[1] != 'M') return false;
  const unsigned offset = ReadLe(file + 10, 4);
  const unsigned header = ReadLe(file + 14, 4);
  const int file_width = static_cast<int>(ReadLe(file + 18, 4));
  const int file_height = static_cast<int>(ReadLe(file + 22, 4));
  if (header < kInfoHeader || ReadLe(file + 28, 2) != 24 || ReadLe(file + 30, 4) != 0)
    return false;
  const bool top_down = file_height < 0;
  const long long rows = top_down ? -static_cast<long long>(file_height) : file_height;
  if (file_width != width || rows != height) return false;
  const size_t row = Dib24RowBytes(width);
  const size_t total = row * static_cast<size_t>(height);
  if (offset > size || size - offset < total) return false;
  for (int y = 0; y < height; ++y) {
    const int source = top_down ? height - 1 - y : y;
    memcpy(pixels + row * static_cast<size_t>(y), file + offset + row * static_cast<size_t>(source),
           row);
  }
  return true;
}

}  // namespace

bool LoadBitmapDib24(int id, int width, int height, unsigned char* pixels, size_t size) {
  if (!pixels || !FitsBuffer(width, height, size)) return false;
#if defined(_WIN32)
  HBITMAP bitmap = LoadBitmapA(static_cast<HINSTANCE>(ModuleHandle()), MAKEINTRESOURCEA(id));
  if (!bitmap) return false;
  bool ok = HasSize(bitmap, width, height) && ReadDib(bitmap, width, height, pixels);
  DeleteObject(bitmap);
  return ok;
#else
  const EmbeddedBitmap* bitmap = FindEmbeddedBitmap(id);
  return bitmap && Dib24FromBmpFile(bitmap->bytes, bitmap->size, width, height, pixels, size);
#endif
}

bool Dib24FromBmpFile(const unsigned char* file, size_t file_size, int width, int height,
                      unsigned char* pixels, size_t size) {
  return file && pixels && FitsBuffer(width, height, size) &&
         ReadBmpFile(file, file_size, width, height, pixels);
}
