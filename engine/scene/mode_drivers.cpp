// The per-mode drivers of __RasterScene: each walks the triangles in array order with its
// own culling rule and hands them to its rasterizer, straight into the output or through
// the scratch layer and its composite.
#include "engine/engine_state.h"
#include "engine/raster/curved_triangle.h"
#include "engine/raster/face_culling.h"
#include "engine/raster/shaded_triangle.h"
#include "engine/scene/draw.h"
#include "engine/scene/frame.h"
#include "engine/scene/layer_composite.h"
#include "engine/scene/line_modes.h"

namespace {

using TriangleDriver = void (*)(const Frame&, const FrameImage&, const Draw&, __Triangle3ds*);

// The triangle alone into the frame's layer, then composited into the output over its region (only
// over the spans it wrote: the shaded drivers write the layer through PlotPixel alone). The
// default shader never reads the image it draws into, so the region is packed into the
// layer; another shader is handed the layer laid out as the output.
void DrawThroughLayer(TriangleDriver draw, Frame& f, const Draw& c, __Triangle3ds* t, bool wide) {
  const LayerRegion region = TriangleRegion(*t, c.points, c.origin_x, c.origin_y, wide);
  ClearLayer(f, region, RenderOnePixel == DefRenderOnePixel);
  draw(f, f.layer, c, t);
  CompositeLayerWritten(f, region);
}

// Modes 3 (flat) and 6 (Phong): culled; anti-aliased through the layer with _Quality.
void DriveShaded(TriangleDriver draw, Frame& f, const Draw& c) {
  for (int i = 0; i < c.tri_count; ++i) {
    __Triangle3ds* t = &c.tris[i];
    if (!FacesCurrentPass(OrientationNz(c.points[t->a], c.points[t->b], c.points[t->c])))
      continue;
    if (_Quality)
      DrawThroughLayer(draw, f, c, t, false);
    else
      draw(f, f.out, c, t);
  }
}

// Mode 8 (patches): every triangle, always through the layer with the wide margin; the
// patch culls its own parts.
void DrivePatches(Frame& f, const Draw& c) {
  for (int i = 0; i < c.tri_count; ++i) DrawThroughLayer(DrawPatchTriangle, f, c, &c.tris[i], true);
}

// The culling of modes 0 and 1: the faces of the current pass, or both sides with
// _DubleSide (multi-refraction plays no part here).
bool LineFaceDrawn(const Draw& c, const __Triangle3ds& t) {
  const float nz = OrientationNz(c.points[t.a], c.points[t.b], c.points[t.c]);
  return (nz >= 0.0f && !_DrawBackFaces1) || (nz < 0.0f && _DrawBackFaces1) || _DubleSide;
}

// Mode 0 (rough): culled front faces, outlined straight into the output.
void DriveRough(const Frame& f, const Draw& c) {
  for (int i = 0; i < c.tri_count; ++i) {
    __Triangle3ds* t = &c.tris[i];
    if (!LineFaceDrawn(c, *t)) continue;
    DrawRoughTriangle(f, c, t);
  }
}

// Mode 1 (line): culled, the edges shaded straight into the output.
void DriveLines(const Frame& f, const Draw& c) {
  for (int i = 0; i < c.tri_count; ++i) {
    __Triangle3ds* t = &c.tris[i];
    if (!LineFaceDrawn(c, *t)) continue;
    DrawLineTriangle(f, f.out, c, t);
  }
}

// Mode 2 (wire): every triangle; each segment of the patch edges culls itself.
void DriveWire(const Frame& f, const Draw& c) {
  for (int i = 0; i < c.tri_count; ++i) DrawWireTriangle(f, f.out, c, &c.tris[i]);
}

// Mode 9 (curved patches): every triangle, always through the layer with the wide margin;
// the patch culls its own samples.
void DriveBezier(Frame& f, const Draw& c) {
  for (int i = 0; i < c.tri_count; ++i)
    DrawThroughLayer(RasterBezierTriangle, f, c, &c.tris[i], true);
}

// Mode 10 (outline): every triangle straight into the output, in the front pass only.
void DriveOutline(const Frame& f, const Draw& c) {
  if (_DrawBackFaces1) return;
  for (int i = 0; i < c.tri_count; ++i) RasterOutlineTriangle(f, f.out, c, &c.tris[i]);
}

}  // namespace

void RunModeDriver(Frame& f, const Draw& call) {
  switch (_DrawMode) {
    case 0: DriveRough(f, call); break;
    case 1: DriveLines(f, call); break;
    case 2: DriveWire(f, call); break;
    case 3: DriveShaded(DrawFlatTriangle, f, call); break;
    case 6: DriveShaded(DrawPhongTriangle, f, call); break;
    case 8: DrivePatches(f, call); break;
    case 9: DriveBezier(f, call); break;
    case 10: DriveOutline(f, call); break;
    default: break;  // modes 4, 5, 7 and above 10 draw nothing
  }
}
