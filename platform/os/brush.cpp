// Solid brushes: real GDI brushes on Windows; natively a heap token that stands for one,
// so that creation and deletion still pair up (and leaks still show).
#include "platform/os/brush.h"

#if defined(_WIN32)
#include <windows.h>

void* CreateSolidColourBrush(unsigned char red, unsigned char green, unsigned char blue) {
  return CreateSolidBrush(RGB(red, green, blue));
}

void DeleteSolidColourBrush(void* brush) {
  if (brush) DeleteObject(static_cast<HBRUSH>(brush));
}

#else
#include <stdint.h>

void* CreateSolidColourBrush(unsigned char red, unsigned char green, unsigned char blue) {
  return new uint32_t(static_cast<uint32_t>(red) | (green << 8) | (blue << 16));
}

void DeleteSolidColourBrush(void* brush) { delete static_cast<uint32_t*>(brush); }
#endif
