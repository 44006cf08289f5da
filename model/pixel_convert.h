// Conversions between the host's pixel layout and the engine's two image layouts, and the
// copy of one host world into another. Every pixel has 4 channels of 8 bits, or of 16 bits
// when deep (the three conversions read the depth with __GetDeep; CopyWorld is told).
//
//   layout                channel order             row size
//   host world            alpha, red, green, blue   the world's own, in channel units
//   engine frame image    red, green, blue, alpha   width * 4 channels, packed
//   engine texture image  blue, green, red, alpha   width * 4 channels, packed
//
// Host row sizes count channel units (bytes, or 16-bit units when deep) and must hold at
// least width * 4 of them; the channels past the width of each host row are never read or
// written. Bad input (a null source, a non-positive width or height, a host row size below
// width * 4, sizes whose buffers do not fit in memory) does nothing and reports failure.
//
// Ownership: a buffer these functions allocate comes from EngineAlloc (zero-filled), so
// that the engine's channel conversions may replace it; the caller releases it with
// EngineFree. Buffers passed in stay the caller's.
#pragma once

// Host world into a frame image. When `target` is null a buffer of height * row_size
// channels is allocated for it. Returns the frame image, or null on failure.
unsigned char* WorldToFrame(unsigned char* target, const unsigned char* world, int width,
                            int height, int row_size);

// Frame image into the existing host world. Returns false on failure.
bool FrameToWorld(unsigned char* world, const unsigned char* frame, int width, int height,
                  int row_size);

// Host world into a texture image. When `target` is null a buffer of width * height * 4
// channels is allocated for it. Returns the texture image, or null on failure.
unsigned char* WorldToTexture(unsigned char* target, const unsigned char* world, int width,
                              int height, int row_size);

// Copies width pixels of every row from source to target, each world at its own row size
// (channel units of the given depth). Returns false on failure.
bool CopyWorld(unsigned char* target, const unsigned char* source, int width, int height,
               int target_row, int source_row, unsigned char deep);
