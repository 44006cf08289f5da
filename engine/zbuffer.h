// The z-buffer's real extent, kept beside the exported ZBuff, Zwidth and Zheight.
//
// Zwidth and Zheight are also "the size of the current render", and __RasterSolid records
// its image size there without touching ZBuff. After that they no longer describe the
// buffer, so nothing indexes ZBuff by them alone: the size the buffer really has is kept
// here (set by __SetZBuff and by ZBuffPrepare), every cell goes through ZBuffCellIndex,
// and ZBuffFits decides whether a render may reuse the buffer.
//
// A buffer stored into the exported ZBuff directly (not through __SetZBuff) has no
// recorded extent; for it the caller vouches for Zwidth x Zheight.
#pragma once

#include <stdint.h>

// True when ZBuff is present and really holds width x height cells (whatever Zwidth and
// Zheight say): a render of that size may use it as it is.
bool ZBuffFits(int width, int height);

// Step 3 of a render: when ZBuffFits(width, height), keeps the buffer (its depths persist)
// and returns false; otherwise releases the present ZBuff, allocates width x height cells
// filled with bytes 0xFE (about -1.694e38, "nothing drawn yet") and returns true: the
// render owns the new buffer (a kept one while keeping, see kept_buffers.h). Either way
// Zwidth and Zheight become width and height. When
// the sizes are not positive or the allocation fails, ZBuff is left absent (every depth
// test then passes) and the result is false.
bool ZBuffPrepare(int width, int height);

// Refills every real cell with bytes 0xFE.
void ZBuffClear();

// Releases ZBuff through the engine's allocator (a kept buffer goes back to its store) and
// leaves it absent; Zwidth and Zheight keep the size of the render.
void ZBuffRelease();

// The present buffer's real extent (0 x 0 without one).
void ZBuffExtent(int32_t& width, int32_t& height);

// Cell index of (x, y) (row-major over Zwidth), or -1 when the cell lies outside
// Zwidth x Zheight or outside the buffer's real extent, or when there is no ZBuff.
int ZBuffCellIndex(int x, int y);

// True when `cell` is an index into the present buffer's real extent.
bool ZBuffCellValid(int cell);
