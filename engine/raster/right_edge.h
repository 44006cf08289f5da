// The walk along a triangle's right chain: where the right edge crosses a row.
#pragma once

#include "engine/raster/edge_segment.h"
#include "engine/raster/triangle_setup.h"

// Returns xr, the right boundary on row y, searching the entries from `first` on.
// Delivers the right edge's segment and the right fringe width (at least 3).
float RightEdgeAt(int count, int first, const __Point3ds* vertices, const EdgeEntry* edges,
                  float y, EdgeSegment& edge, float& fringe_width);
