// The module's bitmap resources as 24-bit device-independent pixels. On Windows they are
// the module's BITMAP resources (LoadBitmapA, GetDIBits); the native module has no
// resources and carries the same .bmp files as data compiled into it.
#pragma once

#include <stddef.h>

// Bytes of one row of a 24-bit DIB: width x 24 bits, rounded up to whole 32-bit words.
size_t Dib24RowBytes(int width);

// Reads bitmap `id` into `pixels` (capacity `size` bytes) as a 24-bit bottom-up DIB of
// exactly width x height: blue, green, red per pixel, the bottom row first, each row
// Dib24RowBytes(width) long. Returns false, leaving nothing promised in `pixels`, when the
// bitmap is missing, has another size, or the buffer is too small.
bool LoadBitmapDib24(int id, int width, int height, unsigned char* pixels, size_t size);

// The same from the bytes of a whole .bmp file (`file`, `file_size` bytes): only a 24-bit
// uncompressed bitmap of exactly width x height whose rows lie inside the file is read;
// a top-down file is turned bottom-up. Returns false for anything else.
bool Dib24FromBmpFile(const unsigned char* file, size_t file_size, int width, int height,
                      unsigned char* pixels, size_t size);
