// The Phong and flat interiors of a plain-material triangle are depth-tested a row at a time
// and shaded four pixels at a time, its covered edge pixels are lit four at a time, and the
// curved mode's samples eight at a time: the pictures and depths must be exactly those of
// the pixel-by-pixel path (taken here through a shader that only forwards to the default
// one), for triangles that overlap, cross every border of the image and of the z-buffer, at
// both depths, with and without quality and with the mid-edge normals.
#include <gtest/gtest.h>
#include <string.h>

#include "engine/cpu_paths.h"
#include "engine/raster/curved_triangle.h"
#include "engine/raster/shaded_triangle.h"
#include "engine/shading/plain_shading.h"
#include "engine/zbuffer.h"
#include "raster_test_support.h"

using namespace raster_test;

namespace {

struct Lcg {
  unsigned s = 777u;
  float Next(float lo, float hi) {
    s = s * 1664525u + 1013904223u;
    return lo + (hi - lo) * static_cast<float>(s >> 8) / 16777216.0f;
  }
};

constexpr int kW = 64, kH = 48;

struct Drawn {
  std::vector<uint8_t> b8;
  std::vector<uint16_t> b16;
  std::vector<float> depth;
  int covered = 0;
};

// Forty random triangles (a sphere-like set of normals, one plain material, two lights) into
// a z-buffered image, with the default shader or the forwarding one.
using DrawFn = TriangleDriverFn;

// With `small`, the triangles are a few pixels across and two corners of each lie less than
// a pixel apart in height: the anti-aliasing passes then follow one another with few or no
// rows between them. With `narrow`, the z-buffer installed is 10 cells narrower and 6 rows
// shorter than the image the globals then describe: its rows are read at the image's width,
// and the last ones would reach past its end. The vertex normals' nz lie in nz_min .. 1.
Drawn DrawScene(DrawFn draw, bool deep, bool quality, bool phong2, bool forwarding,
                bool small = false, bool narrow = false, float nz_min = 0.2f) {
  ResetEngine(kW, kH, deep);
  _Quality = quality ? 1 : 0;
  _UsePhong2 = phong2 ? 1 : 0;
  if (forwarding) RenderOnePixel = Forwarding;
  const int zw = narrow ? kW - 10 : kW, zh = narrow ? kH - 6 : kH;
  float* z = static_cast<float*>(EngineAlloc(static_cast<size_t>(zw) * zh * sizeof(float)));
  __SetZBuff(z, zw, zh);
  ZBuffClear();
  Zwidth = kW;
  Zheight = kH;
  Image image(kW, kH, deep);
  material3ds mat = MakeMaterial(0.8f, 0.5f, 0.2f);
  mat.shininess = 0.3f;
  mat.self_illumination = 0.1f;
  mat.transparency = -0.25f;  // stored negated: opacity 0.75, every write at part coverage
  light3ds lights[2] = {MakeLight(300.0f, -200.0f, 800.0f), MakeLight(-400.0f, 100.0f, 300.0f, 0.6f)};
  Lcg rng;
  for (int t = 0; t < 40; ++t) {
    std::vector<__Point3ds> pts;
    const float cx = rng.Next(0.0f, kW), cy = rng.Next(0.0f, kH);
    for (int k = 0; k < 3; ++k) {
      float x = rng.Next(-30.0f, kW + 30.0f), y = rng.Next(-30.0f, kH + 30.0f);
      if (small) {
        x = cx + rng.Next(-4.0f, 4.0f);
        y = k == 1 ? pts[0].y + rng.Next(-0.9f, 0.9f) : cy + rng.Next(-4.0f, 4.0f);
      }
      pts.push_back(Vertex(x, y, rng.Next(-50.0f, 50.0f), rng.Next(-1.0f, 1.0f),
                           rng.Next(-1.0f, 1.0f), rng.Next(nz_min, 1.0f)));
    }
    __Triangle3ds tri = Face(0, 1, 2);
    TestCall(image.data(), image.data(), &tri, pts.data(), 0, 0, 1, &mat, 2, lights).Drive(draw);
  }
  Drawn d;
  d.b8 = image.b8;
  d.b16 = image.b16;
  d.depth.assign(z, z + zw * zh);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) d.covered += image.at(x, y, 3) != 0;
  return d;
}

// With the CPU's widest lanes (eight with AVX) and with four-wide lanes.
TEST(PlainBatch, PicturesAndDepthsAreThoseOfThePixelByPixelPath) {
  for (int width : {8, 4})
  for (DrawFn draw : {DrawPhongTriangle, DrawFlatTriangle})
  for (bool deep : {false, true})
    for (int variant = 0; variant < 3; ++variant) {
      ChooseCpuPaths(width == 8);
      const bool quality = variant > 0, phong2 = variant == 2;
      SCOPED_TRACE(std::string(draw == DrawFlatTriangle ? "flat " : "Phong ") +
                   (deep ? "16-bit" : "8-bit") + " variant " + std::to_string(variant) +
                   " lanes " + std::to_string(width));
      const Drawn batched = DrawScene(draw, deep, quality, phong2, false);
      const Drawn single = DrawScene(draw, deep, quality, phong2, true);
      EXPECT_GT(batched.covered, kW * kH / 2) << "the triangles cover most of the image";
      EXPECT_EQ(batched.covered, single.covered);
      EXPECT_TRUE(batched.b8 == single.b8 && batched.b16 == single.b16) << "pictures differ";
      EXPECT_EQ(memcmp(batched.depth.data(), single.depth.data(), kW * kH * sizeof(float)), 0)
          << "depths differ";
    }
  ChooseCpuPaths();
  ResetEngine(0, 0, false);
  _Quality = 1;
}

// The curved mode's patches: samples lit eight at a time (four where the lanes are narrowed)
// against each sample shaded in turn, over random patches whose normals bend the surface,
// fade it towards the silhouette and turn parts of it away.
TEST(PlainBatch, CurvedSamplesAreThoseOfTheSampleBySamplePath) {
  for (int width : {8, 4})
    for (bool deep : {false, true}) {
      ChooseCpuPaths(width == 8);
      SCOPED_TRACE(std::string(deep ? "16-bit" : "8-bit") + " lanes " + std::to_string(width));
      const Drawn batched =
          DrawScene(RasterBezierTriangle, deep, false, false, false, false, false, -0.3f);
      const Drawn single =
          DrawScene(RasterBezierTriangle, deep, false, false, true, false, false, -0.3f);
      EXPECT_GT(batched.covered, kW * kH / 3) << "the patches cover a good part of the image";
      EXPECT_EQ(batched.covered, single.covered);
      EXPECT_TRUE(batched.b8 == single.b8 && batched.b16 == single.b16) << "pictures differ";
      EXPECT_EQ(memcmp(batched.depth.data(), single.depth.data(), kW * kH * sizeof(float)), 0)
          << "depths differ";
      // Pixels below the material's opacity of 3/4: the silhouette's fade took part.
      int faded = 0;
      const int full = deep ? 32768 : 255;
      for (int i = 0; i < kW * kH; ++i) {
        const int a = deep ? batched.b16[4 * i + 3] : batched.b8[4 * i + 3];
        faded += a != 0 && a < full * 3 / 4 - 1;
      }
      EXPECT_GT(faded, 20);
    }
  ChooseCpuPaths();
  ResetEngine(0, 0, false);
  _Quality = 1;
}

// Small triangles with a nearly flat edge, anti-aliased, where edge pixels (lit four at a
// time, from rows and passes in turn) make up most of what is drawn.
TEST(PlainBatch, SmallTrianglesMatchThePixelByPixelPath) {
  for (DrawFn draw : {DrawPhongTriangle, DrawFlatTriangle})
    for (bool deep : {false, true}) {
      SCOPED_TRACE(std::string(draw == DrawFlatTriangle ? "flat " : "Phong ") +
                   (deep ? "16-bit" : "8-bit"));
      const Drawn batched = DrawScene(draw, deep, true, false, false, true);
      const Drawn single = DrawScene(draw, deep, true, false, true, true);
      EXPECT_GT(batched.covered, 300) << "the triangles and their fringes draw pixels";
      EXPECT_EQ(batched.covered, single.covered);
      EXPECT_TRUE(batched.b8 == single.b8 && batched.b16 == single.b16) << "pictures differ";
    }
  ResetEngine(0, 0, false);
  _Quality = 1;
}

// A z-buffer smaller than the image: the depths read a row ahead (the interior's and the
// edge pixels') stay within it (the sanitizer build sees any read past its end), and the
// pictures and depths are those of the pixel-by-pixel path, with and without quality.
TEST(PlainBatch, AZBufferSmallerThanTheImageIsNotReadPastItsEnd) {
  for (DrawFn draw : {DrawPhongTriangle, DrawFlatTriangle})
  for (bool quality : {true, false}) {
    SCOPED_TRACE(std::string(draw == DrawFlatTriangle ? "flat" : "Phong") +
                 (quality ? " with quality" : " without quality"));
    const Drawn batched = DrawScene(draw, false, quality, false, false, false, true);
    const Drawn single = DrawScene(draw, false, quality, false, true, false, true);
    EXPECT_GT(batched.covered, kW * kH / 2) << "the triangles cover most of the image";
    EXPECT_TRUE(batched.b8 == single.b8) << "pictures differ";
    ASSERT_EQ(batched.depth.size(), single.depth.size());
    EXPECT_EQ(memcmp(batched.depth.data(), single.depth.data(),
                     batched.depth.size() * sizeof(float)), 0) << "depths differ";
  }
  ResetEngine(0, 0, false);
  _Quality = 1;
}

// Equal depth fails in the batched interior as well: the same triangle drawn again in
// another colour leaves the first one's interior.
TEST(PlainBatch, EqualDepthKeepsTheFirstTriangle) {
  ResetEngine(kW, kH, false);
  float* z = static_cast<float*>(EngineAlloc(kW * kH * sizeof(float)));
  __SetZBuff(z, kW, kH);
  ZBuffClear();
  Image image(kW, kH, false);
  std::vector<__Point3ds> pts = {Vertex(5, 40, 3, 0, 0, 1), Vertex(5, 5, 3, 0, 0, 1),
                                 Vertex(55, 5, 3, 0, 0, 1)};
  light3ds light = MakeLight(0.0f, 0.0f, 900.0f);
  __Triangle3ds tri = Face(0, 1, 2);
  material3ds red = MakeMaterial(1.0f, 0.0f, 0.0f), blue = MakeMaterial(0.0f, 0.0f, 1.0f);
  red.shininess_strength = blue.shininess_strength = 0.0f;
  TestCall(image.data(), image.data(), &tri, pts.data(), 0, 0, 1, &red, 1, &light)
      .Drive(DrawPhongTriangle);
  TestCall(image.data(), image.data(), &tri, pts.data(), 0, 0, 1, &blue, 1, &light)
      .Drive(DrawPhongTriangle);
  int red_pixels = 0, blue_pixels = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      // The image holds red, green, blue, alpha.
      if (image.at(x, y, 0) > 100) ++red_pixels;
      if (image.at(x, y, 2) > 100) ++blue_pixels;
    }
  EXPECT_GT(red_pixels, 700);
  EXPECT_EQ(blue_pixels, 0);
  ResetEngine(0, 0, false);
  _Quality = 1;
}

}  // namespace
