// The three rasterizers of the triangle family, each a family record over the shared walk
// (triangle_walk.h): Phong (shader, interpolated normal, previous-pixel record), flat
// (shader, one face normal) and solid (one colour, no shader, no depth).
#include <math.h>
#include <stddef.h>

#include "engine/engine_state.h"
#include "engine/prefetch_for_write.h"
#include "engine/raster/depth_test.h"
#include "engine/raster/interpolation.h"
#include "engine/raster/pixel_write.h"
#include "engine/raster/segment_lanes.h"
#include "engine/raster/shaded_triangle.h"
#include "engine/raster/triangle_walk.h"
#include "engine/shading/plain_shading.h"

namespace {

// Everything the shader is handed for the pixels of one triangle.
struct ShadeContext {
  const FrameImage* out;  // where the pixels go
  unsigned char* image;   // its pixels, as the shader is handed them
  unsigned char* background;
  __Texture* textures;
  material3ds* mats;
  int mat_count;
  __Triangle3ds* tri;
  int origin_x, origin_y;
  float nx, ny, nz, d;  // face plane
  int light_count;
  light3ds* lights;
  GlassProp* glass;
  const __Point3ds* vertices;
  DepthGrid depth;  // the z-buffer, read once for the triangle
  UnitNormals units;  // Phong: the vertex normals made unit length once
  AreaMatrix area;
  AreaMatrix projected;  // valid when has_projected
  bool has_projected;
  bool has_uv;
  // The default shader without glass: a pure function of its arguments, so an edge pixel
  // that gets no coverage need not be shaded at all.
  bool shading_pure;
  // The image's rows lie a frame's row apart (the output, or the layer laid out as it): a
  // row's pixels are worth asking for ahead. A packed layer stays in the cache anyway.
  bool image_rows_far;
};

// A shaded pixel: the shader's colour and opacity, written as an interior pixel (plain
// coverage, the new depth stays) or as an edge pixel (coverage from the distance to the edge,
// the old depth given back so that fringes never occlude).
struct Shaded {
  float c[3];
  float alpha;
};

Shaded Shade(const ShadeContext& ctx, int x, int y, float z, __Point& normal, float u, float v,
             __PrevInfo* prev) {
  Shaded s;
  s.alpha = RenderOnePixel(
      static_cast<float>(ctx.origin_x), static_cast<float>(ctx.origin_y), ctx.image,
      ctx.background, static_cast<float>(x - ctx.origin_x), static_cast<float>(y - ctx.origin_y),
      z, ctx.tri, ctx.mats, ctx.mat_count, s.c[0], s.c[1], s.c[2], &normal, ctx.has_uv ? 1 : 0,
      u, v, ctx.textures, ctx.light_count, ctx.lights, prev, ctx.glass, ctx.nx, ctx.ny, ctx.nz,
      ctx.d);
  return s;
}

// An edge pixel the write gives no coverage, with a shader whose skipping changes nothing.
bool Uncovered(const ShadeContext& ctx, PixelRole role, int x, int y, const EdgeSegment& edge) {
  return role != PixelRole::kInterior && ctx.shading_pure &&
         SegmentCoverage(edge, static_cast<float>(x), static_cast<float>(y), 1.0f) == 0;
}

// Such a pixel after its depth test: its depth is given back, as the write would.
bool SkipUncovered(const ShadeContext& ctx, PixelRole role, int x, int y,
                   const EdgeSegment& edge, const DepthRestore* restore) {
  if (!Uncovered(ctx, role, x, y, edge)) return false;
  GiveBackDepth(restore);
  return true;
}

void WriteShaded(const FrameImage& image, PixelRole role, int x, int y, const float c[3], float k,
                 const EdgeSegment& edge, const DepthRestore* restore) {
  if (role == PixelRole::kInterior)
    PlotPixel(image, c[0], c[1], c[2], x, y, k);
  else
    PlotBySegmentDistance(image, c[0], c[1], c[2], edge, static_cast<float>(x),
                          static_cast<float>(y), 1.0f, k, restore);
}

// Pixels of a plain material waiting to be lit sixteen at a time (two groups of eight side by
// side with AVX, else four at a time): their positions relative to the origin, depths and,
// when set, normals; their columns and rows as the interpolation sees them.
struct LitPixels {
  static constexpr int kSize = 16;
  SixteenPixels pixels;
  float columns[kSize], rows[kSize];
  int xs[kSize];  // the columns as pixels
  int count = 0;

  // Pixel (x, y) at depth z into lane i.
  void Put(const ShadeContext& ctx, int i, int x, int y, float z) {
    pixels.x[i] = static_cast<float>(x - ctx.origin_x);
    pixels.y[i] = static_cast<float>(y - ctx.origin_y);
    pixels.z[i] = z;
    columns[i] = static_cast<float>(x);
    rows[i] = static_cast<float>(y);
    xs[i] = x;
  }
  bool Full() const { return count == kSize; }
  void SetNormal(const __Point& n) {
    pixels.nx[count - 1] = n.x;
    pixels.ny[count - 1] = n.y;
    pixels.nz[count - 1] = n.z;
  }

  // The colours of lanes 0 .. count - 1 (count at least 1): the plain Phong normals
  // interpolated first unless they were set.
  void Light(const ShadeContext& ctx, const PlainShading& shading, bool normals_set,
             float c0[kSize], float c1[kSize], float c2[kSize]) {
    RepeatFirstLane(pixels, count);  // and the columns and rows as well
    for (int j = count; j < kSize; ++j) columns[j] = columns[0], rows[j] = rows[0];
    if (!normals_set)
      InterpolateNormalsSixteen(ctx.units, ctx.area, columns, rows, pixels.nx, pixels.ny,
                                pixels.nz, count);
    ShadePlainSixteen(shading, pixels, count, c0, c1, c2);
  }
};

// Interior pixels of one row that passed their depth test, waiting to be lit. The plain
// material's shader reads neither the image, nor the texture coordinates, nor the
// previous-pixel record, so a pixel shaded a little later comes out the same; the batch is
// written before any other pixel is visited, so every pixel is still written in the walk's
// order. Without mid-edge normals the normals are interpolated eight at a time as well.
struct PlainBatch : LitPixels {
  PlainShading shading;
  int row = 0;

  void Add(const ShadeContext& ctx, int x, int y, float z) {
    Put(ctx, count++, x, y, z);
    row = y;
  }
  // Four neighbouring pixels x .. x + 3 of row y, when the batch has room for them at a
  // multiple of four.
  void AddFour(const ShadeContext& ctx, int x, int y, const float z[4]) {
    for (int j = 0; j < 4; ++j) Put(ctx, count + j, x + j, y, z[j]);
    row = y;
    count += 4;
  }
  bool RoomForFour() const { return count % 4 == 0 && count < kSize; }

  void Flush(const ShadeContext& ctx, bool normals_set) {
    if (count == 0) return;
    float c0[kSize], c1[kSize], c2[kSize];
    Light(ctx, shading, normals_set, c0, c1, c2);
    PlotRow(*ctx.out, c0, c1, c2, xs, count, row, shading.alpha);
    count = 0;
  }
};

// Covered edge pixels of a plain material, waiting to be lit: their depths were tested
// already (an edge pixel never keeps its depth, so its cell is only read) and their normals
// set or, for the plain Phong normal, interpolated with the lighting, so only the normals,
// the lighting and the coverage writes wait. The pixels of one batch may lie on different
// rows; they are written in the order they came.
struct EdgeBatch : LitPixels {
  int ys[kSize];
  float cover[kSize];

  void Add(const ShadeContext& ctx, int x, int y, float z, float k) {
    AddIf(true, ctx, x, y, z, k);
  }
  // The same when `keep`; otherwise the pixel goes into the next free lane all the same and
  // the lane stays free. Lanes kept or not without a branch: which of a group of edge pixels
  // pass follows no pattern.
  void AddIf(bool keep, const ShadeContext& ctx, int x, int y, float z, float k) {
    Put(ctx, count, x, y, z);
    ys[count] = y;
    cover[count] = k;
    count += keep;
  }

  void Flush(const ShadeContext& ctx, const PlainShading& shading, bool normals_set) {
    if (count == 0) return;
    float c0[kSize], c1[kSize], c2[kSize];
    Light(ctx, shading, normals_set, c0, c1, c2);
    float k[kSize];  // PlotWithCoverage's write: the coverage is not 0
    for (int j = 0; j < count; ++j) k[j] = cover[j] * shading.alpha;
    PlotEach(*ctx.out, c0, c1, c2, xs, ys, k, count);
    count = 0;
  }
};

// The batch for the triangle's interior when its material is plain and the default shader
// is installed without glass, else null.
PlainBatch* PreparePlainBatch(const ShadeContext& ctx, PlainBatch& batch) {
  if (!ctx.shading_pure) return nullptr;
  const bool plain = PreparePlainShading(*ctx.tri, ctx.mats, ctx.mat_count, ctx.textures,
                                         ctx.has_uv, ctx.light_count, ctx.lights, batch.shading);
  return plain ? &batch : nullptr;
}

// Reads the lines of depth cells x0 .. x1 of the row starting at cell `row` and drops the
// values, so that the processor looks the page up and fetches the lines; nothing is read
// when x1 lies past the buffer's real cells.
void ReadAhead(const DepthGrid& g, long long row, int x0, int x1) {
  if (row + x1 >= g.limit) return;
  const volatile float* cells = g.cells + row;
  for (int x = x0; x <= x1; x += 16) (void)cells[x];
  (void)cells[x1];  // the last line, when the columns reach into it
}

// The walk goes up one row at a time and a triangle's rows lie far apart in the buffers:
// the depths and image pixels of the row above, about where this row's interior lies, are
// asked for while this row is drawn, ready to be written. A row of depths is a page of its
// own or nearly: its first depth is read, not only asked for, so that the asking for the
// rest of it takes. (A prefetch hint into a page the processor has not looked up lately was
// measured to do nothing here; the first read of each row then waited on memory, 3.5 ms of
// a 25 ms frame without quality.)
void PrefetchNextRow(const ShadeContext& ctx, int x0, int x_end, int y) {
  const DepthGrid& g = ctx.depth;
  x0 = x0 >= 8 ? x0 - 8 : 0;  // the next row's left fringe too
  if (y < 1 || y > g.rows || x0 < 0 || x_end > g.cols) return;
  const long long depth_row = static_cast<long long>(y - 1) * g.stride;
  ReadAhead(g, depth_row, x0, x0);
  const float* cells = g.cells + depth_row;
  for (int x = x0; x < x_end + 16; x += 16) PrefetchForWrite(cells + x);
  if (!ctx.image_rows_far) return;
  const int bytes = _Deep ? 8 : 4;
  const unsigned char* row =
      ctx.image + static_cast<ptrdiff_t>(y - 1) * _RowStride * (bytes / 4);
  for (int x = x0; x < x_end + 16; x += 64 / bytes)
    PrefetchForWrite(row + static_cast<ptrdiff_t>(x) * bytes);
}

// The interior of one row of a plain-material triangle against the z-buffer (there must be
// one): the row's bounds checked once (a pixel outside the buffer fails its test and, in the
// interior, changes nothing), the depths of the row lanes' width of pixels computed side by
// side in double precision as DepthTestIn computes each, then tested in order;
// accept(x, y, z, n) takes pixels x .. x + n - 1 that passed with depths z[0 .. n - 1]: a
// group at once when all of it passes, else one at a time. The cells of a group are
// distinct, so testing them side by side is testing them in turn.
template <class Accept>
void PlainInteriorRow(const ShadeContext& ctx, int x0, int x_end, int y, Accept accept) {
  const DepthGrid& g = ctx.depth;
  if (y < 0 || y >= g.rows) return;
  const long long row_start = static_cast<long long>(y) * g.stride;
  long long to = x_end < g.cols ? x_end : g.cols;
  if (g.limit - row_start < to) to = g.limit - row_start;
  float* const cells = g.cells + row_start;
  PrefetchNextRow(ctx, x0, x_end, y);
  const PlaneRowDepths plane(y, ctx.nx, ctx.ny, ctx.nz, ctx.d, ctx.vertices);
  using L = simd_lanes::RowLanes;
  constexpr int kAll = (1 << L::kWidth) - 1;
  alignas(16) float z[L::kWidth];
  for (int x = x0 < 0 ? 0 : x0; x < to; x += L::kWidth) {
    // The depths are kept in a register as well as stored: loading them back from the store
    // just made would stall on it.
    const L::V depths = plane.Lanes(x);
    L::Store(z, depths);
    const int n = to - x < L::kWidth ? static_cast<int>(to - x) : L::kWidth;
    if (n == L::kWidth && L::Mask(L::Greater(depths, L::Load(cells + x))) == kAll) {
      L::Store(cells + x, depths);
      accept(x, y, z, L::kWidth);
      continue;
    }
    for (int j = 0; j < n; ++j) {
      if (!(z[j] > cells[x + j])) continue;  // equal depth fails: the first triangle keeps it
      cells[x + j] = z[j];
      accept(x + j, y, z + j, 1);
    }
  }
}

// What the Phong and flat walks keep along a row: the plain-material batch (written out
// before any other pixel is visited, at each row's start and at the walk's end), the
// previous-pixel record and the last texture coordinates.
struct RowRecords {
  const ShadeContext& ctx;
  PlainBatch* plain;  // the interior's batch, when the triangle's material is plain
  bool normals_set;  // the batch's normals come with its pixels (else interpolated four at once)
  __PrevInfo prev{};
  float u = 0.0f, v = 0.0f;
  EdgeBatch edges{};  // a plain material's covered edge pixels
  // The coverage terms of the last edge each kind of edge pixel was visited for (corner,
  // left fringe, right fringe), once made: a row visits the left edge's fringe, then the
  // right edge's, and the same edges for many rows.
  SegmentLanes lanes[3]{};
  bool lanes_made[3] = {false, false, false};

  const SegmentLanes& LanesFor(PixelRole role, const EdgeSegment& edge) {
    const int k = role == PixelRole::kCorner ? 0 : (role == PixelRole::kLeftFringe ? 1 : 2);
    if (!lanes_made[k] || !SameSegment(lanes[k].seg, edge)) {
      lanes[k] = MakeSegmentLanes(edge, _DrawMode);
      lanes_made[k] = true;
    }
    return lanes[k];
  }

  // The interior's batch only: the edge pixels of a row lie beside its interior, apart from
  // a right-fringe pixel that may repeat the last interior one and is written after it.
  void Flush() {
    if (plain) plain->Flush(ctx, normals_set);
  }
  // Both batches, interior first: before a pass whose pixels may repeat theirs.
  void FlushAll() {
    Flush();
    if (plain) edges.Flush(ctx, plain->shading, normals_set);
  }
  // A row's interior batch is written at the next row's start (it holds one row). The edge
  // batch may go on filling: no later pixel of the rows repeats one it holds, apart from a
  // left-fringe pixel the interior repeats with the very same write.
  void StartRow() {
    Flush();
    prev.valid = 0;
  }
  void StartPass() {
    FlushAll();
    prev.valid = 0;
  }
  void EndScan() { StartPass(); }
  bool CoverageOnlyCorners() const { return ctx.shading_pure; }
  // The depths of the edge pixels of a row to come (an edge pass's next row, the next row's
  // left fringe), which the walk has not been near yet, read a row ahead: their first read
  // waited on the memory for a quarter of the fringes' time. A prefetch hint left that wait
  // as it was (see PrefetchNextRow); a read, whose value is dropped, takes most of it away.
  void Prefetch(int x0, int x1, int y) {
    const DepthGrid& g = ctx.depth;
    if (x0 < 0) x0 = 0;
    if (x1 >= g.cols) x1 = g.cols - 1;
    if (!g.cells || y < 0 || y >= g.rows || x1 < x0) return;
    ReadAhead(g, static_cast<long long>(y) * g.stride, x0, x1);
  }

  // Corner or fringe pixels x0 .. x1 of row y of a plain material, whose shader reads no
  // record and no texture coordinates: their coverages found four at a time, uncovered
  // pixels (whose depth test would be given back) skipped whole, covered ones lit four at a
  // time (EdgeBatch). normal_at(x, y, z) gives a pixel's normal, unless the batch
  // interpolates the plain Phong normal itself (normals_set false). The interior's batch is
  // written out first, as before any edge pixel.
  template <class NormalAt>
  void VisitPlainEdges(int x0, int x1, int y, PixelRole role, const EdgeSegment& edge,
                       NormalAt normal_at) {
    if (x0 > x1) return;
    Flush();
    const SegmentLanes& lanes_now = LanesFor(role, edge);
    const PlaneRowDepths plane(y, ctx.nx, ctx.ny, ctx.nz, ctx.d, ctx.vertices);
    for (int x = x0; x <= x1; x += 4) {
      // The depths first: their divisions need not wait for the coverage's.
      float z[4];
      plane.Four(x, z);
      float cover[4];
      int covered = SegmentCoverageAt(lanes_now, x, static_cast<float>(y), 1.0f, cover);
      if (x1 - x < 3) covered &= (2 << (x1 - x)) - 1;  // lanes past x1 are not visited
      if (covered == 0) continue;
      if (!ctx.depth.cells) {
        for (; covered != 0; covered &= covered - 1) {  // in order of the columns
          const int j = __builtin_ctz(static_cast<unsigned>(covered));
          VisitCoveredEdge(x + j, y, cover[j], normal_at);
        }
        continue;
      }
      int pass = covered & DepthWouldPassFour(ctx.depth, x, y, z);
      if (!normals_set) {
        for (int j = 0; j < 4; ++j) {
          edges.AddIf((pass >> j) & 1, ctx, x + j, y, z[j], cover[j]);
          if (edges.Full()) edges.Flush(ctx, plain->shading, normals_set);
        }
        continue;
      }
      for (; pass != 0; pass &= pass - 1) {
        const int j = __builtin_ctz(static_cast<unsigned>(pass));
        AddCoveredEdge(x + j, y, z[j], cover[j], normal_at);
      }
    }
  }

  // One such pixel with coverage `cover`, not 0.
  template <class NormalAt>
  void VisitCoveredEdge(int x, int y, float cover, NormalAt normal_at) {
    float z = 0.0f;
    if (DepthWouldPass(ctx.depth, static_cast<float>(x), static_cast<float>(y), ctx.nx, ctx.ny,
                       ctx.nz, ctx.d, ctx.vertices, z))
      AddCoveredEdge(x, y, z, cover, normal_at);
  }
  // Such a pixel that passed its depth test at depth z.
  template <class NormalAt>
  void AddCoveredEdge(int x, int y, float z, float cover, NormalAt normal_at) {
    edges.Add(ctx, x, y, z, cover);
    if (normals_set) edges.SetNormal(normal_at(static_cast<float>(x), static_cast<float>(y), z));
    if (edges.Full()) edges.Flush(ctx, plain->shading, normals_set);
  }
};

// Phong: the interpolated normal per pixel and the previous-pixel record of the row.
struct PhongFamily : RowRecords {
  static constexpr bool kPhongSpans = true;
  const MidNormals* mid;  // second Phong scheme, with _Quality

  // Only a plain material's fringe pixels keep no record.
  bool CoverageOnlyFringes() const { return plain != nullptr; }

  void VisitRun(int x0, int x1, int y, PixelRole role, const EdgeSegment& edge) {
    if (!plain) {
      for (int x = x0; x <= x1; ++x) Visit(x, y, role, edge);
      return;
    }
    VisitPlainEdges(x0, x1, y, role, edge, [this](float px, float py, float z) {
      __Point n;
      float u_unused = 0.0f, v_unused = 0.0f;
      InterpolatePhongWith(ctx.units, px, py, z, ctx.vertices, ctx.area, nullptr, false, mid,
                           ctx.origin_x, ctx.origin_y, n, u_unused, v_unused);
      return n;
    });
  }

  // A plain-material interior pixel that passed its depth test at depth z: to the batch.
  void AcceptPlain(int x, int y, float z) {
    plain->Add(ctx, x, y, z);
    if (mid) {  // mid-edge normals: interpolated one pixel at a time
      __Point n;
      float u_unused = 0.0f, v_unused = 0.0f;
      InterpolatePhongWith(ctx.units, static_cast<float>(x), static_cast<float>(y), z,
                           ctx.vertices, ctx.area, nullptr, false, mid, ctx.origin_x,
                           ctx.origin_y, n, u_unused, v_unused);
      plain->SetNormal(n);
    }
    if (plain->Full()) Flush();
  }

  // The interior of row y, columns x0 .. x_end - 1, in order.
  void VisitInterior(int x0, int x_end, int y, const EdgeSegment& edge) {
    if (!plain || !ctx.depth.cells || x0 >= x_end) {
      for (int x = x0; x < x_end; ++x) Visit(x, y, PixelRole::kInterior, edge);
      return;
    }
    PlainInteriorRow(ctx, x0, x_end, y, [this](int x, int y, const float* z, int n) {
      if (n == 4 && plain->RoomForFour() && !mid) {
        plain->AddFour(ctx, x, y, z);
        if (plain->Full()) Flush();
        return;
      }
      for (int j = 0; j < n; ++j) AcceptPlain(x + j, y, z[j]);
    });
  }

  void Visit(int x, int y, PixelRole role, const EdgeSegment& edge) {
    if (plain && role == PixelRole::kInterior) {
      float z = 0.0f, old_depth = 0.0f;
      int cell = -1;
      if (DepthTestIn(ctx.depth, static_cast<float>(x), static_cast<float>(y), ctx.nx, ctx.ny,
                      ctx.nz, ctx.d, ctx.vertices, 0, 0, z, cell, old_depth))
        AcceptPlain(x, y, z);
      return;
    }
    Flush();
    // A corner pixel keeps no record: without coverage its depth test (written, then given
    // back) changes nothing either.
    if (role == PixelRole::kCorner && Uncovered(ctx, role, x, y, edge)) return;
    float z = 0.0f, old_depth = 0.0f;
    int cell = -1;
    const bool pass = DepthTestIn(ctx.depth, static_cast<float>(x), static_cast<float>(y),
                                  ctx.nx, ctx.ny, ctx.nz, ctx.d, ctx.vertices, 0, 0, z, cell,
                                  old_depth);
    // The corner pass interpolates and shades only what passes, and keeps no record.
    if (role == PixelRole::kCorner && !pass) return;
    const float u_before = u, v_before = v;
    __Point n;
    InterpolatePhongWith(ctx.units, static_cast<float>(x), static_cast<float>(y), z,
                         ctx.vertices, ctx.area, ctx.has_projected ? &ctx.projected : nullptr,
                         ctx.has_uv, mid, ctx.origin_x, ctx.origin_y, n, u, v);
    const DepthRestore restore{old_depth, cell};
    const DepthRestore* give_back = cell >= 0 ? &restore : nullptr;
    if (pass && !SkipUncovered(ctx, role, x, y, edge, give_back)) {
      const Shaded s = Shade(ctx, x, y, z, n, u, v, role == PixelRole::kCorner ? nullptr : &prev);
      WriteShaded(*ctx.out, role, x, y, s.c, s.alpha, edge, give_back);
    }
    if (role == PixelRole::kCorner) return;
    prev.nx = n.x;
    prev.ny = n.y;
    prev.nz = n.z;
    prev.x = static_cast<float>(x - ctx.origin_x);
    prev.y = static_cast<float>(y - ctx.origin_y);
    prev.u = pass ? u : u_before;
    prev.v = pass ? v : v_before;
    // In the right fringe the record stays valid only after a pixel that was not drawn.
    prev.valid = role == PixelRole::kRightFringe ? !pass : 1;
  }
};

// Flat: the constant face normal, turned towards the viewer; the record is passed but never
// filled.
struct FlatFamily : RowRecords {
  static constexpr bool kPhongSpans = false;

  // No record is kept: an uncovered fringe pixel of the default shader does nothing.
  bool CoverageOnlyFringes() const { return ctx.shading_pure; }

  // The interior of row y, columns x0 .. x_end - 1, in order; a plain material's pixels are
  // shaded four at a time with the face normal.
  void VisitInterior(int x0, int x_end, int y, const EdgeSegment& edge) {
    if (!plain || !ctx.depth.cells || x0 >= x_end) {
      for (int x = x0; x < x_end; ++x) Visit(x, y, PixelRole::kInterior, edge);
      return;
    }
    const __Point n{-ctx.nx, -ctx.ny, -ctx.nz};
    PlainInteriorRow(ctx, x0, x_end, y, [this, &n](int px, int py, const float* z, int count) {
      if (count == 4 && plain->RoomForFour()) {
        plain->AddFour(ctx, px, py, z);
        for (int j = plain->count - 4; j < plain->count; ++j)
          plain->pixels.nx[j] = n.x, plain->pixels.ny[j] = n.y, plain->pixels.nz[j] = n.z;
        if (plain->Full()) Flush();
        return;
      }
      for (int j = 0; j < count; ++j) {
        plain->Add(ctx, px + j, py, z[j]);
        plain->SetNormal(n);
        if (plain->Full()) Flush();
      }
    });
  }

  void VisitRun(int x0, int x1, int y, PixelRole role, const EdgeSegment& edge) {
    if (!plain) {
      for (int x = x0; x <= x1; ++x) Visit(x, y, role, edge);
      return;
    }
    VisitPlainEdges(x0, x1, y, role, edge,
                    [this](float, float, float) { return __Point{-ctx.nx, -ctx.ny, -ctx.nz}; });
  }

  void Visit(int x, int y, PixelRole role, const EdgeSegment& edge) {
    Flush();
    // No record is kept: an edge pixel without coverage is neither shaded nor depth tested
    // (the test's write would be given back).
    if (Uncovered(ctx, role, x, y, edge)) return;
    float z = 0.0f, old_depth = 0.0f;
    int cell = -1;
    if (!DepthTestIn(ctx.depth, static_cast<float>(x), static_cast<float>(y), ctx.nx, ctx.ny,
                     ctx.nz, ctx.d, ctx.vertices, 0, 0, z, cell, old_depth))
      return;
    const DepthRestore restore{old_depth, cell};
    const DepthRestore* give_back = cell >= 0 ? &restore : nullptr;
    // A plain material's shader reads no texture coordinates.
    InterpolateUV(static_cast<float>(x), static_cast<float>(y), z, ctx.vertices, ctx.area,
                  ctx.has_projected ? &ctx.projected : nullptr, ctx.has_uv && !plain,
                  ctx.origin_x, ctx.origin_y, u, v);
    __Point n{-ctx.nx, -ctx.ny, -ctx.nz};
    const Shaded s = Shade(ctx, x, y, z, n, u, v, role == PixelRole::kCorner ? nullptr : &prev);
    WriteShaded(*ctx.out, role, x, y, s.c, s.alpha, edge, give_back);
  }
};

// Solid: the caller's colour at the caller's opacity on every visited pixel.
struct SolidFamily {
  static constexpr bool kPhongSpans = false;
  const FrameImage& image;
  float c[3];
  float opacity;

  void StartRow() {}
  void StartPass() {}
  void EndScan() {}
  void Prefetch(int, int, int) {}
  bool CoverageOnlyCorners() const { return true; }  // a coverage write and nothing else
  bool CoverageOnlyFringes() const { return true; }
  void VisitInterior(int x0, int x_end, int y, const EdgeSegment& edge) {
    for (int x = x0; x < x_end; ++x) Visit(x, y, PixelRole::kInterior, edge);
  }
  void VisitRun(int x0, int x1, int y, PixelRole role, const EdgeSegment& edge) {
    for (int x = x0; x <= x1; ++x) Visit(x, y, role, edge);
  }
  void Visit(int x, int y, PixelRole role, const EdgeSegment& edge) {
    WriteShaded(image, role, x, y, c, opacity, edge, nullptr);
  }
};

bool AllHaveUV(const __Point3ds* v) { return v[0].has_uv && v[1].has_uv && v[2].has_uv; }

// Rasterizer set-up shared by Phong and flat: the area matrix (a zero determinant draws
// nothing) and, when the perspective is on and the face is textured, the matrix of the
// unprojected corners (likewise).
bool SetUpShading(ShadeContext& ctx, const __Point3ds* v) {
  ctx.has_uv = AllHaveUV(v);
  ctx.area = MakeAreaMatrix(v[0].x, v[0].y, v[1].x, v[1].y, v[2].x, v[2].y);
  if (ctx.area.det == 0.0f) return false;
  ctx.has_projected = false;
  if (_Persp_Val != 0.0f && ctx.has_uv) {
    float px[3], py[3];
    for (int k = 0; k < 3; ++k)
      UnprojectPoint(v[k].x - static_cast<float>(ctx.origin_x),
                     v[k].y - static_cast<float>(ctx.origin_y), v[k].z, px[k], py[k]);
    ctx.projected = MakeAreaMatrix(px[0], py[0], px[1], py[1], px[2], py[2]);
    if (ctx.projected.det == 0.0f) return false;
    ctx.has_projected = true;
  }
  return true;
}

// The draw's and the frame's fields the walk reads, copied once for the triangle.
ShadeContext MakeContext(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri,
                         const __Point3ds* vertices, const Plane& plane) {
  ShadeContext ctx{};
  ctx.out = &image;
  ctx.image = image.pixels;
  ctx.background = f.src.pixels;
  ctx.textures = d.textures;
  ctx.mats = d.mats;
  ctx.mat_count = d.mat_count;
  ctx.tri = tri;
  ctx.origin_x = d.origin_x;
  ctx.origin_y = d.origin_y;
  ctx.nx = plane.nx;
  ctx.ny = plane.ny;
  ctx.nz = plane.nz;
  ctx.d = plane.d;
  ctx.light_count = d.light_count;
  ctx.lights = d.lights;
  ctx.glass = d.glass;
  ctx.vertices = vertices;
  ctx.depth = f.depth;
  ctx.shading_pure = DefaultShaderWithoutGlass(*tri, d.mats, d.mat_count, d.glass);
  ctx.image_rows_far = !image.packed;
  return ctx;
}

__Point Half(const __Point3ds& a, const __Point3ds& b) {
  return __Point{(a.nx + b.nx) / 2.0f, (a.ny + b.ny) / 2.0f, (a.nz + b.nz) / 2.0f};
}

}  // namespace

void RasterPhongTriangle(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri,
                         LocalTriangle& t, const Plane& plane) {
  __Point3ds* vertices = t.v;
  ShadeContext ctx = MakeContext(f, image, d, tri, vertices, plane);
  if (!SetUpShading(ctx, vertices)) return;
  ctx.units = MakeUnitNormals(vertices);
  MidNormals mid;
  const bool phong2 = _Quality && _UsePhong2;
  if (phong2) {
    mid.m01 = Half(vertices[0], vertices[1]);
    mid.m12 = Half(vertices[1], vertices[2]);
    mid.m20 = Half(vertices[2], vertices[0]);
  }
  PlainBatch batch;
  PhongFamily family{{ctx, PreparePlainBatch(ctx, batch), phong2}, phong2 ? &mid : nullptr};
  WalkTriangle(vertices, t.edges, t.bottom_row, family);
  family.FlushAll();
}

void RasterFlatTriangle(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri,
                        LocalTriangle& t, const Plane& plane) {
  ShadeContext ctx = MakeContext(f, image, d, tri, t.v, plane);
  if (!SetUpShading(ctx, t.v)) return;
  PlainBatch batch;
  FlatFamily family{{ctx, PreparePlainBatch(ctx, batch), true}};
  WalkTriangle(t.v, t.edges, t.bottom_row, family);
  family.FlushAll();
}

void RasterSolidTriangle(const FrameImage& image, LocalTriangle& t, const float c[3],
                         float opacity) {
  SolidFamily family{image, {c[0], c[1], c[2]}, opacity};
  WalkTriangle(t.v, t.edges, t.bottom_row, family);
}
