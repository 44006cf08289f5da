// Whole renders in the curved modes and the rough mode: closed meshes show no background
// through their surface (also where a sphere's pole faces the viewer), the curved patches
// round a coarse sphere, the outline draws a band along the silhouette over the background,
// the rough mode draws in a process where no render has set up a z-buffer, and portrait and
// landscape frames show exactly the part of a square frame's scene that they hold.
#include <gtest/gtest.h>

#include "raster_test_support.h"

using namespace raster_test;

namespace {

constexpr int kSize = 256;
constexpr float kRadius = 100.0f;

// The sphere turned a quarter about x: its pole 0 faces the viewer.
Mesh PoleFacingSphere(int nlat, int nlon) {
  Mesh m = LatLongSphere(kRadius, nlat, nlon);
  for (__Point3ds& p : m.v) {
    const float y = p.y, z = p.z, ny = p.ny, nz = p.nz;
    p.y = -z, p.z = y, p.ny = -nz, p.nz = ny;
  }
  return m;
}

struct Scene {
  int mode = 9, quality = 1;
  bool deep = false;
  int mat_count = 1;
  unsigned char back_faces = 0;
};

// The mesh drawn as the effect draws it: sorted far to near, the origin at the image's
// centre, one light; over `src`, into `dst`.
void Render(const Scene& s, Mesh mesh, Image& dst, Image& src) {
  ResetEngine(kSize, kSize, s.deep);
  _DrawMode = static_cast<unsigned char>(s.mode);
  _Quality = static_cast<unsigned char>(s.quality);
  _DrawBackFaces = s.back_faces;
  std::vector<light3ds> lights = {MakeLight(-300.0f, -300.0f, 600.0f)};
  std::vector<material3ds> mats = {MakeMaterial(0.9f, 0.3f, 0.2f)};
  __Sort(static_cast<int>(mesh.t.size()), mesh.t.data(), mesh.v.data());
  __RasterScene(dst.data(), src.data(), kSize, kSize, kSize * 4, static_cast<int>(mesh.v.size()),
                static_cast<int>(mesh.t.size()), mesh.t.data(), mesh.v.data(), kSize / 2,
                kSize / 2, s.mat_count, mats.data(), nullptr, 1, lights.data(), nullptr);
}

Image Render(const Scene& s, Mesh mesh) {
  Image dst(kSize, kSize, s.deep), src(kSize, kSize, s.deep);
  Render(s, std::move(mesh), dst, src);
  return dst;
}

float Distance(int x, int y) { return hypotf(x - kSize / 2.0f, y - kSize / 2.0f); }

class CurvedScene : public EngineTest {};

// Patches (mode 8) and curved patches (mode 9), at both qualities and depths, over a
// transparent background: every pixel well inside the silhouette has full alpha, on the
// sphere seen from the side and with a pole facing the viewer, where thin triangles meet.
TEST_F(CurvedScene, ClosedSpheresShowNoBackgroundThroughTheSurface) {
  struct Shape {
    const char* name;
    Mesh mesh;
  } shapes[] = {{"side", LatLongSphere(kRadius, 16, 20)},
                {"pole 16x32", PoleFacingSphere(16, 32)},
                {"pole 8x16", PoleFacingSphere(8, 16)}};
  for (int mode : {8, 9})
    for (int quality : {0, 1})
      for (bool deep : {false, true})
        for (const Shape& shape : shapes) {
          Scene s;
          s.mode = mode, s.quality = quality, s.deep = deep;
          const Image img = Render(s, shape.mesh);
          const int full = deep ? 32768 : 255;
          int checked = 0, holes = 0;
          for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
              // Inside the polygonal outline (a 16-gon at the coarsest) by two pixels.
              if (Distance(x, y) > kRadius * 0.98f - 2.0f) continue;
              ++checked;
              if (img.at(x, y, 3) != full && ++holes <= 3)
                ADD_FAILURE() << shape.name << " mode " << mode << " quality " << quality
                              << (deep ? " 16-bit" : " 8-bit") << ": alpha "
                              << img.at(x, y, 3) << " at " << x << "," << y;
            }
          EXPECT_GT(checked, 28000);
          EXPECT_EQ(holes, 0);
        }
}

// The curved patches draw the sphere's disc: its covered area is pi r^2 within 3 % (the
// fade where the surface turns away takes a little of the rim) and nothing lies beyond it.
TEST_F(CurvedScene, CurvedPatchesCoverTheDisc) {
  for (bool deep : {false, true}) {
    Scene s;
    s.deep = deep;
    const Image img = Render(s, LatLongSphere(kRadius, 16, 20));
    const double full = deep ? 32768.0 : 255.0;
    double area = 0;
    int outside = 0;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        area += img.at(x, y, 3) / full;
        outside += Distance(x, y) > kRadius + 2.0f && img.at(x, y, 3) != 0;
      }
    const double disc = 3.14159265358979 * kRadius * kRadius;
    EXPECT_NEAR(area / disc, 1.0, 0.03) << deep;
    EXPECT_EQ(outside, 0);
  }
}

// A coarse sphere (8 bands of 10) keeps a round outline in the curved modes: the radius at
// which the alpha falls below half varies far less around the outline than in the flat mode,
// whose outline is the polygon of the mesh.
TEST_F(CurvedScene, CurvedPatchesRoundACoarseSilhouette) {
  auto spread = [](const Image& img) {
    double lo = 1e9, hi = 0;
    for (int k = 0; k < 360; ++k) {
      const double a = k * 3.14159265358979 / 180.0;
      double r = 0;
      while (r < kSize / 2 - 1) {
        const int x = static_cast<int>(kSize / 2 + r * cos(a)), y = static_cast<int>(kSize / 2 + r * sin(a));
        if (img.at(x, y, 3) < 128) break;
        r += 0.25;
      }
      lo = std::min(lo, r), hi = std::max(hi, r);
    }
    return hi - lo;
  };
  Scene flat;
  flat.mode = 3;
  const double flat_spread = spread(Render(flat, PoleFacingSphere(8, 10)));
  const double curved_spread = spread(Render(Scene{}, PoleFacingSphere(8, 10)));
  EXPECT_GT(flat_spread, 4.9) << "a 10-gon of radius 100 varies by 100 (1 - cos 18 deg)";
  EXPECT_LT(curved_spread, 0.6 * flat_spread) << "flat " << flat_spread << " curved " << curved_spread;
}

// Mode 10 over a background pattern, into an output of another colour: where the surface
// faces the viewer the background is copied exactly; along the silhouette (|nz| <= 0.3, from
// 0.954 r out) lies a band in the material's colour, red without materials; the back-face
// pass draws nothing, so a two-pass render ends the same.
TEST_F(CurvedScene, OutlineDrawsTheSilhouetteBandOverTheBackground) {
  for (int mat_count : {1, 0}) {
    Scene s;
    s.mode = 10, s.mat_count = mat_count;
    Image dst(kSize, kSize, false), src(kSize, kSize, false);
    dst.fill(255, 255, 255, 255);
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x)
        for (int k = 0; k < 4; ++k) src.set(x, y, k, (x * 3 + y * 5 + k * 40) & 255);
    Render(s, LatLongSphere(kRadius, 16, 20), dst, src);
    int copied = 0, interior = 0, band = 0, coloured = 0, beyond = 0;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        const float r = Distance(x, y);
        bool same = true;
        for (int k = 0; k < 4; ++k) same = same && dst.at(x, y, k) == src.at(x, y, k);
        if (r < 0.9f * kRadius) interior++, copied += same;
        if (r > kRadius + 2.0f) beyond += dst.at(x, y, 1) != 255;
        if (r > 0.97f * kRadius && r < 0.99f * kRadius) {
          ++band;
          // Red with a little green (0.3) in the material's colour, pure red without.
          const int g = dst.at(x, y, 1);
          coloured += dst.at(x, y, 0) > 200 && (mat_count ? g > 50 && g < 100 : g == 0);
        }
      }
    EXPECT_EQ(copied, interior) << mat_count;
    EXPECT_GT(interior, 25000);
    EXPECT_EQ(beyond, 0);
    EXPECT_GT(coloured, band * 3 / 4) << coloured << " of " << band;

    Image two(kSize, kSize, false), src2 = src;
    two.fill(255, 255, 255, 255);
    s.back_faces = 1;
    Render(s, LatLongSphere(kRadius, 16, 20), two, src2);
    EXPECT_TRUE(two == dst) << "the back-face pass draws nothing";
  }
}

// Two overlapping spheres, the nearer (material 0, reddish) up and left of the farther
// (material 1, blue), over a background pattern, drawn with the origin at (160, 160) into a
// 320 x 320 frame and into its top 320 x 200 and left 200 x 320 parts: the smaller frames
// equal the same part of the square one in every channel, so the depth test, the scratch
// layer and the outline's background copy find each pixel's own cell on frames of any shape.
// Unsorted, the nearer sphere comes first and only the depth test keeps it in front.
TEST_F(CurvedScene, PortraitAndLandscapeFramesShowTheirPartOfTheScene) {
  Mesh two = LatLongSphere(70.0f, 12, 16), far = LatLongSphere(70.0f, 12, 16);
  for (__Point3ds& p : two.v) p.x -= 40.0f, p.y -= 40.0f, p.z += 200.0f;
  const int first = static_cast<int>(two.v.size());
  for (__Triangle3ds t : far.t) {
    t.a += first, t.b += first, t.c += first, t.material = 1;
    two.t.push_back(t);
  }
  for (__Point3ds p : far.v) p.x += 30.0f, p.y += 30.0f, two.v.push_back(p);
  const std::vector<material3ds> mats = {MakeMaterial(0.9f, 0.3f, 0.2f),
                                         MakeMaterial(0.1f, 0.2f, 0.9f)};
  std::vector<light3ds> lights = {MakeLight(0.0f, 0.0f, 1000.0f)};
  auto render = [&](int mode, bool sorted, bool deep, int w, int h) {
    ResetEngine(w, h, deep);
    _DrawMode = static_cast<unsigned char>(mode);
    _Quality = 1;
    Mesh mesh = two;
    std::vector<material3ds> m = mats;
    if (sorted) __Sort(static_cast<int>(mesh.t.size()), mesh.t.data(), mesh.v.data());
    Image dst(w, h, deep), src(w, h, deep);
    dst.fill(7, 7, 7, deep ? 32768 : 255);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        for (int k = 0; k < 4; ++k) src.set(x, y, k, (x * 3 + y * 5 + k * 40) & 255);
    __RasterScene(dst.data(), src.data(), w, h, w * 4, static_cast<int>(mesh.v.size()),
                  static_cast<int>(mesh.t.size()), mesh.t.data(), mesh.v.data(), 160, 160, 2,
                  m.data(), nullptr, 1, lights.data(), nullptr);
    return std::make_pair(dst, src);
  };
  for (int mode : {8, 9, 10})
    for (bool sorted : {true, false})
      for (bool deep : {false, true}) {
        const auto square = render(mode, sorted, deep, 320, 320);
        const Image& ref = square.first;
        if (mode == 10)  // the nearer sphere's middle: the background, copied
          for (int k = 0; k < 4; ++k) EXPECT_EQ(ref.at(120, 120, k), square.second.at(120, 120, k));
        else  // where they overlap the nearer one shows
          EXPECT_GT(ref.at(160, 160, 0), 2 * ref.at(160, 160, 2) + 10) << mode << sorted << deep;
        for (const auto& size : {std::make_pair(320, 200), std::make_pair(200, 320)}) {
          const Image part = render(mode, sorted, deep, size.first, size.second).first;
          int wrong = 0;
          for (int y = 0; y < part.h; ++y)
            for (int x = 0; x < part.w; ++x)
              for (int k = 0; k < 4; ++k) wrong += part.at(x, y, k) != ref.at(x, y, k);
          EXPECT_EQ(wrong, 0) << "mode " << mode << (sorted ? " sorted " : " unsorted ")
                              << (deep ? "16-bit " : "8-bit ") << part.w << "x" << part.h;
        }
      }
}

// The rough mode uses no z-buffer. In a process where no render has set one up (Zwidth and
// Zheight 0), it still outlines the sphere's front faces: every touched pixel holds the
// inverted background at full alpha, and they number at least the outline's length.
TEST_F(CurvedScene, RoughDrawsWithoutAnyRenderBefore) {
  for (bool deep : {false, true}) {
    ResetEngine(0, 0, deep);
    _RowStride = 0;
    _MaxChannel = 0;
    _DrawMode = 0;
    Mesh mesh = LatLongSphere(kRadius, 16, 20);
    Image dst(kSize, kSize, deep), src(kSize, kSize, deep);
    const int full = deep ? 32768 : 255;
    src.fill(deep ? 10000 : 40, deep ? 20000 : 90, deep ? 30000 : 200, full);
    dst = src;
    __RasterScene(dst.data(), src.data(), kSize, kSize, kSize * 4,
                  static_cast<int>(mesh.v.size()), static_cast<int>(mesh.t.size()),
                  mesh.t.data(), mesh.v.data(), kSize / 2, kSize / 2, 0, nullptr, nullptr, 0,
                  nullptr, nullptr);
    int changed = 0, wrong = 0;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        bool same = true;
        for (int k = 0; k < 4; ++k) same = same && dst.at(x, y, k) == src.at(x, y, k);
        if (same) continue;
        ++changed;
        for (int k = 0; k < 3; ++k) wrong += dst.at(x, y, k) != full - src.at(x, y, k);
        wrong += dst.at(x, y, 3) != full;
      }
    EXPECT_GT(changed, static_cast<int>(2 * 3.1416 * kRadius)) << deep;
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(ZBuff, nullptr);
  }
}

}  // namespace
