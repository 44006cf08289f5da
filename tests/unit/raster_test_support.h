// Support for the rasterizer, shader and scene tests: a fixture that puts the engine's
// globals into a known state and back, images at either channel width, a shader that
// records its calls, and a latitude-longitude sphere.
#pragma once

#include <gtest/gtest.h>
#include <math.h>
#include <stdint.h>

#include <algorithm>
#include <vector>

#include "engine/engine_state.h"
#include "engine/scene/draw.h"
#include "engine/scene/frame.h"
#include "engine/zbuffer.h"

namespace raster_test {

// Every setting and working global the tests touch, set to the values a render of a
// width x height image would leave, with no z-buffer and the default shader.
inline void ResetEngine(int width, int height, bool deep) {
  _DrawMode = 6;
  _Deep = deep ? 1 : 0;
  _Quality = 0;
  _DubleSide = 0;
  _DrawBackFaces = 0;
  _DrawBackFaces1 = 0;
  _UseMultyRefract = 1;
  _UsePhong2 = 0;
  _Persp_Val = 0.0f;
  _Persp_x = _Persp_y = 0.0f;
  _Persp_Far = 1000.0f;
  if (ZBuff) ZBuffRelease();
  __SetZBuff(nullptr, 0, 0);
  Zwidth = width;
  Zheight = height;
  _RowStride = width * 4;
  _MaxChannel = deep ? 32768 : 255;
  LightDef = nullptr;
  RenderOnePixel = DefRenderOnePixel;
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetEngine(64, 64, false); }
  void TearDown() override {
    ResetEngine(0, 0, false);
    _Quality = 1;  // the engine's initial values, for whatever runs next
    _DrawMode = 6;
  }
};

// An engine image (red, green, blue, alpha; packed rows) at either channel width.
struct Image {
  int w = 0, h = 0;
  bool deep = false;
  std::vector<uint8_t> b8;
  std::vector<uint16_t> b16;

  Image(int width, int height, bool is_deep) : w(width), h(height), deep(is_deep) {
    if (deep)
      b16.assign(static_cast<size_t>(w) * h * 4, 0);
    else
      b8.assign(static_cast<size_t>(w) * h * 4, 0);
  }
  unsigned char* data() {
    return deep ? reinterpret_cast<unsigned char*>(b16.data()) : b8.data();
  }
  int at(int x, int y, int k) const {
    const size_t i = (static_cast<size_t>(y) * w + x) * 4 + k;
    return deep ? b16[i] : b8[i];
  }
  void set(int x, int y, int k, int v) {
    const size_t i = (static_cast<size_t>(y) * w + x) * 4 + k;
    if (deep)
      b16[i] = static_cast<uint16_t>(v);
    else
      b8[i] = static_cast<uint8_t>(v);
  }
  void fill(int r, int g, int b, int a) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        set(x, y, 0, r);
        set(x, y, 1, g);
        set(x, y, 2, b);
        set(x, y, 3, a);
      }
  }
  bool operator==(const Image& o) const { return b8 == o.b8 && b16 == o.b16; }
};

// One call of the recording shader.
struct ShaderCall {
  float origin_x, origin_y, x, y, z;
  __Point normal;
  unsigned char textured;
  float u, v;
  bool has_prev;
  __PrevInfo prev;
  float plane[4];
  int pixel_x() const { return static_cast<int>(lroundf(x + origin_x)); }
  int pixel_y() const { return static_cast<int>(lroundf(y + origin_y)); }
};

inline std::vector<ShaderCall>& RecordedCalls() {
  static std::vector<ShaderCall> calls;
  return calls;
}

// Colour and opacity the recording shader answers with.
struct RecordingAnswer {
  float c[3] = {200.0f, 100.0f, 50.0f};
  float alpha = 1.0f;
};
inline RecordingAnswer& Answer() {
  static RecordingAnswer answer;
  return answer;
}

inline float RecordingShader(float origin_x, float origin_y, unsigned char*, unsigned char*,
                             float x, float y, float z, __Triangle3ds*, material3ds*, int,
                             float& c0, float& c1, float& c2, __Point* normal,
                             unsigned char textured, float u, float v, __Texture*, int,
                             light3ds*, __PrevInfo* prev, GlassProp*, float pa, float pb,
                             float pc, float pd) {
  ShaderCall call{origin_x, origin_y, x,  y,  z,       *normal, textured, u, v,
                  prev != nullptr, prev ? *prev : __PrevInfo{}, {pa, pb, pc, pd}};
  RecordedCalls().push_back(call);
  c0 = Answer().c[0];
  c1 = Answer().c[1];
  c2 = Answer().c[2];
  return Answer().alpha;
}

// Installs the recording shader with a fresh log.
inline void RecordShaderCalls() {
  RecordedCalls().clear();
  Answer() = RecordingAnswer{};
  __SetNewRenderOnePixel(RecordingShader);
}

inline __Point3ds Vertex(float x, float y, float z, float nx = 0.0f, float ny = 0.0f,
                         float nz = 1.0f) {
  __Point3ds p{};
  p.x = x;
  p.y = y;
  p.z = z;
  p.has_normal = 1;
  p.nx = nx;
  p.ny = ny;
  p.nz = nz;
  return p;
}

inline __Triangle3ds Face(int a, int b, int c, uint16_t material = 0) {
  __Triangle3ds t{};
  t.a = a;
  t.b = b;
  t.c = c;
  t.material = material;
  return t;
}

struct Mesh {
  std::vector<__Point3ds> v;
  std::vector<__Triangle3ds> t;
};

// A latitude-longitude sphere of radius r around the origin, its axis along y: nlat bands
// of latitude, nlon of longitude, 2 * nlon * (nlat - 1) triangles. Vertex normals are the
// unit positions; every face is wound so that its orientation normal points outwards
// (front-facing on the viewer's side, z > 0).
inline Mesh LatLongSphere(float r, int nlat, int nlon) {
  Mesh m;
  const double pi = 3.14159265358979323846;
  auto add = [&](double theta, double phi) {
    const double nx = sin(theta) * cos(phi), ny = cos(theta), nz = sin(theta) * sin(phi);
    m.v.push_back(Vertex(static_cast<float>(r * nx), static_cast<float>(r * ny),
                         static_cast<float>(r * nz), static_cast<float>(nx),
                         static_cast<float>(ny), static_cast<float>(nz)));
  };
  add(0.0, 0.0);  // pole 0
  for (int i = 1; i < nlat; ++i)
    for (int j = 0; j < nlon; ++j) add(pi * i / nlat, 2.0 * pi * j / nlon);
  add(pi, 0.0);  // pole 1
  const int last = static_cast<int>(m.v.size()) - 1;
  auto ring = [&](int i, int j) { return 1 + (i - 1) * nlon + ((j % nlon) + nlon) % nlon; };
  auto face = [&](int a, int b, int c) {
    const __Point3ds &p0 = m.v[a], &p1 = m.v[b], &p2 = m.v[c];
    // Orientation normal (P2 - P1) x (P0 - P1) against the outward direction.
    const double ux = p2.x - p1.x, uy = p2.y - p1.y, uz = p2.z - p1.z;
    const double wx = p0.x - p1.x, wy = p0.y - p1.y, wz = p0.z - p1.z;
    const double cx = uy * wz - uz * wy, cy = uz * wx - ux * wz, cz = ux * wy - uy * wx;
    const double out = cx * (p0.x + p1.x + p2.x) + cy * (p0.y + p1.y + p2.y) +
                       cz * (p0.z + p1.z + p2.z);
    m.t.push_back(out >= 0 ? Face(a, b, c) : Face(a, c, b));
  };
  for (int j = 0; j < nlon; ++j) {
    face(0, ring(1, j), ring(1, j + 1));
    face(last, ring(nlat - 1, j + 1), ring(nlat - 1, j));
    for (int i = 1; i < nlat - 1; ++i) {
      face(ring(i, j), ring(i + 1, j), ring(i + 1, j + 1));
      face(ring(i, j), ring(i + 1, j + 1), ring(i, j + 1));
    }
  }
  return m;
}

inline light3ds MakeLight(float x, float y, float z, float multiplier = 1.0f) {
  light3ds l{};
  l.position[0] = x;
  l.position[1] = y;
  l.position[2] = z;
  l.colour[0] = l.colour[1] = l.colour[2] = 1.0f;
  l.multiplier = multiplier;
  return l;
}

inline material3ds MakeMaterial(float r, float g, float b) {
  material3ds m{};
  m.diffuse[0] = r;
  m.diffuse[1] = g;
  m.diffuse[2] = b;
  m.specular[0] = m.specular[1] = m.specular[2] = 1.0f;
  m.shininess = 0.1f;  // exponent 10
  m.shininess_strength = 0.5f;
  return m;
}

// A shader that only forwards to the default one: the same colours, but not the default
// shader, so the engine takes its paths for any other shader.
inline float Forwarding(float ox, float oy, unsigned char* dst, unsigned char* src, float x,
                        float y, float z, __Triangle3ds* tri, material3ds* mats, int mat_count,
                        float& c0, float& c1, float& c2, __Point* normal, unsigned char textured,
                        float u, float v, __Texture* textures, int light_count,
                        light3ds* lights, __PrevInfo* prev, GlassProp* glass, float nx,
                        float ny, float nz, float d) {
  return DefRenderOnePixel(ox, oy, dst, src, x, y, z, tri, mats, mat_count, c0, c1, c2, normal,
                           textured, u, v, textures, light_count, lights, prev, glass, nx, ny,
                           nz, d);
}

// 16-bit channel value to 8 bits, the engine's rule: (v * 255 + 16384) >> 15.
inline int To8(int v16) { return (v16 * 255 + 16384) >> 15; }

// A call as the scene makes it for the triangle `tri` of `points`: a frame over `image` and
// `background` (laid out as the globals describe, no layer) and the draw's records.
using TriangleDriverFn = void (*)(const Frame&, const FrameImage&, const Draw&, __Triangle3ds*);
struct TestCall {
  Frame frame;
  Draw draw;
  TestCall(unsigned char* image, unsigned char* background, __Triangle3ds* tri, __Point3ds* points,
           int origin_x, int origin_y, int mat_count = 0, material3ds* mats = nullptr,
           int light_count = 0, light3ds* lights = nullptr)
      : frame(MakeFrame(image, background, Zwidth, Zheight)), draw{1,        tri,      points,
                                                                   origin_x, origin_y, mat_count,
                                                                   mats,     nullptr,  light_count,
                                                                   lights,   nullptr} {}
  void Drive(TriangleDriverFn driver) { driver(frame, frame.out, draw, draw.tris); }
};

// A frame over `out` whose scratch layer (laid out as the frame, without a span table) and
// edge records are the given images; no edge bits.
inline Frame LayerFrame(unsigned char* out, unsigned char* layer, unsigned char* edge,
                        unsigned char* under) {
  Frame f = MakeFrame(out, nullptr, Zwidth, Zheight);
  f.layer.pixels = layer, f.edge_color.pixels = edge, f.edge_under.pixels = under;
  return f;
}

}  // namespace raster_test
