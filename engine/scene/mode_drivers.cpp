// The per-mode drivers of __RasterScene: each walks the triangles in array order with its
// own culling rule and hands them to its rasterizer, straight into the output or through
// the scratch layer and its composite.
#include "engine/engine_state.h"
#include "engine/raster/curved_triangle.h"
#include "engine/raster/face_culling.h"
#include "engine/raster/shaded_triangle.h"
#include "engine/scene/layer_composite.h"
#include "engine/scene/line_modes.h"
#include "engine/scene/scene_call.h"

namespace {

using TriangleDriver = void (*)(unsigned char*, unsigned char*, int, int, __Texture*,
                                material3ds*, int, __Triangle3ds*, __Point3ds*, int, int, int,
                                light3ds*, GlassProp*);

void DrawInto(TriangleDriver draw, unsigned char* image, const SceneCall& c, __Triangle3ds* t) {
  draw(image, c.src, c.width, c.height, c.textures, c.mats, c.mat_count, t, c.points,
       c.origin_x, c.origin_y, c.light_count, c.lights, c.glass);
}

// The triangle alone into _TriLayer, then composited into the output over its region (only
// over the spans it wrote: the shaded drivers write the layer through PlotPixel alone). The
// default shader never reads the image it draws into, so the region is packed into the
// layer; another shader is handed the layer laid out as the output.
void DrawThroughLayer(TriangleDriver draw, const SceneCall& c, __Triangle3ds* t, bool wide) {
  const LayerRegion region = TriangleRegion(*t, c.points, c.origin_x, c.origin_y, wide);
  ClearLayer(region, RenderOnePixel == DefRenderOnePixel);
  DrawInto(draw, _TriLayer, c, t);
  CompositeLayerWritten(c.dst, region);
}

// Modes 3 (flat) and 6 (Phong): culled; anti-aliased through the layer with _Quality.
void DriveShaded(TriangleDriver draw, const SceneCall& c) {
  for (int i = 0; i < c.tri_count; ++i) {
    __Triangle3ds* t = &c.tris[i];
    if (!FacesCurrentPass(OrientationNz(c.points[t->a], c.points[t->b], c.points[t->c])))
      continue;
    if (_Quality)
      DrawThroughLayer(draw, c, t, false);
    else
      DrawInto(draw, c.dst, c, t);
  }
}

// Mode 8 (patches): every triangle, always through the layer with the wide margin; the
// patch culls its own parts.
void DrivePatches(const SceneCall& c) {
  for (int i = 0; i < c.tri_count; ++i) DrawThroughLayer(DrawPatchTriangle, c, &c.tris[i], true);
}

// The culling of modes 0 and 1: the faces of the current pass, or both sides with
// _DubleSide (multi-refraction plays no part here).
bool LineFaceDrawn(const SceneCall& c, const __Triangle3ds& t) {
  const float nz = OrientationNz(c.points[t.a], c.points[t.b], c.points[t.c]);
  return (nz >= 0.0f && !_DrawBackFaces1) || (nz < 0.0f && _DrawBackFaces1) || _DubleSide;
}

// Mode 0 (rough): culled front faces, outlined straight into the output.
void DriveRough(const SceneCall& c) {
  for (int i = 0; i < c.tri_count; ++i) {
    __Triangle3ds* t = &c.tris[i];
    if (!LineFaceDrawn(c, *t)) continue;
    DrawRoughTriangle(c.dst, c.src, c.width, c.height, t, c.points, c.origin_x, c.origin_y);
  }
}

// Mode 1 (line): culled, the edges shaded straight into the output.
void DriveLines(const SceneCall& c) {
  for (int i = 0; i < c.tri_count; ++i) {
    __Triangle3ds* t = &c.tris[i];
    if (!LineFaceDrawn(c, *t)) continue;
    DrawInto(DrawLineTriangle, c.dst, c, t);
  }
}

// Mode 2 (wire): every triangle; each segment of the patch edges culls itself.
void DriveWire(const SceneCall& c) {
  for (int i = 0; i < c.tri_count; ++i) DrawInto(DrawWireTriangle, c.dst, c, &c.tris[i]);
}

// Mode 9 (curved patches): every triangle, always through the layer with the wide margin;
// the patch culls its own samples.
void DriveBezier(const SceneCall& c) {
  for (int i = 0; i < c.tri_count; ++i)
    DrawThroughLayer(RasterBezierTriangle, c, &c.tris[i], true);
}

// Mode 10 (outline): every triangle straight into the output, in the front pass only.
void DriveOutline(const SceneCall& c) {
  if (_DrawBackFaces1) return;
  for (int i = 0; i < c.tri_count; ++i)
    RasterOutlineTriangle(c.dst, c.src, c.width, c.height, &c.tris[i], c.points, c.origin_x,
                          c.origin_y, c.mat_count, c.mats);
}

}  // namespace

void RunModeDriver(const SceneCall& call) {
  switch (_DrawMode) {
    case 0: DriveRough(call); break;
    case 1: DriveLines(call); break;
    case 2: DriveWire(call); break;
    case 3: DriveShaded(DrawFlatTriangle, call); break;
    case 6: DriveShaded(DrawPhongTriangle, call); break;
    case 8: DrivePatches(call); break;
    case 9: DriveBezier(call); break;
    case 10: DriveOutline(call); break;
    default: break;  // modes 4, 5, 7 and above 10 draw nothing
  }
}
