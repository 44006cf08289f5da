// Modes 9 and 10: what each sample of the curved patch does. Mode 9 culls by the patch
// normal, tests depth, fades towards the silhouette, shades with the tangent plane and
// keeps the previous sample of the row for the samplers' footprint; mode 10 draws the
// silhouette band or copies the background.
#include "engine/raster/curved_triangle.h"

#include <math.h>

#include <algorithm>

#include "engine/engine_state.h"
#include "engine/raster/depth_test.h"
#include "engine/raster/face_culling.h"
#include "engine/raster/patch_sampling.h"
#include "engine/raster/pixel_write.h"
#include "engine/raster/plain_pixels.h"
#include "engine/shading/plain_shading.h"

namespace {

// True when no sample of the patch faces the current pass (FacesCurrentPass), by its net.
bool NoSampleFacesCurrentPass(const CubicPatch& patch) {
  if (_DubleSide || (_UseMultyRefract == 2 && !_DrawBackFaces1)) return false;
  const int side = NormalSideOfNet(patch.normal);
  return _DrawBackFaces1 ? side > 0 : side < 0;
}

// The nearest sample so far at the pixel wins (an equal depth fails); without a z-buffer
// every sample passes. The z-buffer as the patch found it (its cells checked against the
// buffer's real extent, as every depth test does), read once for all its samples.
bool NearestSoFar(const DepthGrid& g, int column, int row, float z) {
  if (!g.cells) return true;
  if (column < 0 || row < 0 || column >= g.cols || row >= g.rows) return false;
  const long long cell = static_cast<long long>(row) * g.stride + column;
  if (cell >= g.limit || !(z > g.cells[cell])) return false;
  g.cells[cell] = z;
  return true;
}

// Where the surface turns away from the viewer (|nz| below 0.2) the sample fades out with
// (nz / 0.2)^2, which smooths the silhouette.
float EdgeFade(float nz) {
  if (fabsf(nz) >= 0.2f) return 1.0f;
  const float f = (nz / 0.2f) * (nz / 0.2f);
  return std::min(1.0f, std::max(0.0f, f));
}

// The draw's fields a sample reads, copied once for the patch.
struct BezierSampler {
  const FrameImage* out;  // where the samples go
  unsigned char* image;   // its pixels, as the shader is handed them
  unsigned char* background;
  __Texture* textures;
  material3ds* mats;
  int mat_count;
  __Triangle3ds* tri;
  float ox, oy;
  int light_count;
  light3ds* lights;
  GlassProp* glass;
  unsigned char textured;
  const __Point3ds* corner[3];
  __PrevInfo prev;
  PlainPixels* plain;  // the batch, when the material is lit as a plain one
  DepthGrid depth;

  void Break() { prev.valid = 0; }

  void Sample(const PatchSample& s) {
    const float nz = static_cast<float>(s.nz);
    if (!FacesCurrentPass(nz)) return;  // the previous sample stays the row's neighbour
    const float x = static_cast<float>(s.position.x), y = static_cast<float>(s.position.y);
    const float z = static_cast<float>(s.position.z);
    if (!NearestSoFar(depth, s.column, s.row, z)) {
      prev.valid = 0;
      return;
    }
    __Point n{static_cast<float>(s.nx), static_cast<float>(s.ny), nz};
    if (plain) {
      plain->Add(x, y, z, n, s.column, s.row, EdgeFade(n.z));
      if (plain->Full()) plain->Flush(*out);
      return;
    }
    // The texture net is linear: the corners' coordinates at the sample's weights.
    double uu = 0.0, vv = 0.0;
    if (textured)
      for (int k = 0; k < 3; ++k) uu += s.w[k] * corner[k]->u, vv += s.w[k] * corner[k]->v;
    const float u = static_cast<float>(uu), v = static_cast<float>(vv);
    float coverage = EdgeFade(n.z);
    // The tangent plane at the sample in image pixel coordinates.
    const float d = -(n.x * (x + ox) + n.y * (y + oy) + n.z * z);
    float c0 = 0.0f, c1 = 0.0f, c2 = 0.0f;
    coverage *= RenderOnePixel(ox, oy, image, background, x, y, z, tri, mats, mat_count, c0,
                               c1, c2, &n, textured, u, v, textures, light_count, lights,
                               &prev, glass, n.x, n.y, n.z, d);
    prev.nx = n.x, prev.ny = n.y, prev.nz = n.z;
    prev.x = x, prev.y = y, prev.u = u, prev.v = v;
    prev.valid = 1;
    PlotPixel(*out, c0, c1, c2, s.column, s.row, coverage);
  }
};

// The band is strongest at |nz| = 0.15 and fades to nothing at 0 and at 0.3.
float BandCoverage(float e) {
  const float f = e < 0.15f ? e / 0.15f : (0.3f - e) / 0.15f;
  return std::min(1.0f, std::max(0.0f, f * f));
}

struct OutlineSampler {
  const FrameImage& image;
  const unsigned char* background;
  float colour[3];

  void Break() {}

  void Sample(const PatchSample& s) {
    const float nz = static_cast<float>(s.nz);
    if (!(nz >= 0.0f)) return;
    const float e = fabsf(nz);
    if (e / 2.0f <= 0.15f) {
      PlotPixel(image, colour[0], colour[1], colour[2], s.column, s.row, BandCoverage(e));
      return;
    }
    const int i = 4 * (s.row * Zwidth + s.column);
    for (int k = 0; k < 4; ++k) WriteChannel(image.pixels, i + k, ReadChannel(background, i + k));
  }
};

// The diffuse colour of the triangle's material in channel units; full red when there is
// no material to take it from (a count below 1 included).
void OutlineColour(const __Triangle3ds& tri, int mat_count, const material3ds* mats,
                   float out[3]) {
  const float full = static_cast<float>(_MaxChannel);
  if (mat_count < 1 || !mats) {
    out[0] = full, out[1] = 0.0f, out[2] = 0.0f;
    return;
  }
  const material3ds& m = mats[std::min<int>(tri.material, mat_count - 1)];
  for (int k = 0; k < 3; ++k) out[k] = m.diffuse[k] * full;
}

}  // namespace

void RasterBezierTriangle(const Frame& f, const FrameImage& image, const Draw& d,
                          __Triangle3ds* tri) {
  const __Point3ds &a = d.points[tri->a], &b = d.points[tri->b], &c = d.points[tri->c];
  const CubicPatch patch = BuildCubicPatch(a, b, c);
  // A patch turned away as a whole (about half of a closed surface's) changes nothing.
  if (NoSampleFacesCurrentPass(patch)) return;
  SamplePlan plan = PlanPatchSamples(patch, d.origin_x, d.origin_y);
  BezierSampler sampler{&image,
                        image.pixels,
                        f.src.pixels,
                        d.textures,
                        d.mats,
                        d.mat_count,
                        tri,
                        static_cast<float>(d.origin_x),
                        static_cast<float>(d.origin_y),
                        d.light_count,
                        d.lights,
                        d.glass,
                        static_cast<unsigned char>((a.has_uv & b.has_uv & c.has_uv) != 0),
                        {&a, &b, &c},
                        __PrevInfo{},
                        nullptr,
                        f.depth};
  // A material the default shader lights without maps or glass: its samples lit eight at a
  // time.
  PlainPixels plain;
  if (PlainShadingApplies(*tri, d.mats, d.mat_count, d.textures, sampler.textured != 0,
                          d.light_count, d.lights, d.glass, plain.shading))
    sampler.plain = &plain;
  WalkPatchSamples(patch, plan, sampler);
  plain.Flush(image);
}

void RasterOutlineTriangle(const Frame& f, const FrameImage& image, const Draw& d,
                           __Triangle3ds* tri) {
  const CubicPatch patch = BuildCubicPatch(d.points[tri->a], d.points[tri->b], d.points[tri->c]);
  // Only samples with nz >= 0 draw: a patch whose every sample lies below changes nothing.
  if (NormalSideOfNet(patch.normal) < 0) return;
  SamplePlan plan = PlanPatchSamples(patch, d.origin_x, d.origin_y);
  OutlineSampler sampler{image, f.src.pixels, {0.0f, 0.0f, 0.0f}};
  OutlineColour(*tri, d.mat_count, d.mats, sampler.colour);
  WalkPatchSamples(patch, plan, sampler);
}
