// The software 3D engine's public interface: its records, its settings and every function
// it exports. All names here are exported from the module unmangled.
//
// Images. Every image has 4 channels per pixel, 8-bit (0..255) or 16-bit (0..32768, full
// scale 32768, not 65535) as _Deep says. Pixel (x, y) starts at channel index
// y * stride + 4 * x, the stride counted in channels. Render images (the output and the
// background of __RasterScene) hold red, green, blue, alpha; texture pixels (__Texture)
// hold blue, green, red, alpha.
//
// Coordinates. Vertex x and y are pixels relative to an origin that __RasterScene adds;
// z grows towards the viewer: a larger z is nearer, the z-buffer keeps the largest z, and
// a pixel is drawn only when its z is strictly greater than the stored one.
//
// Ownership. Images and record arrays passed in stay the caller's, except a z-buffer
// installed with __SetZBuff and the pixel buffers handed to the channel conversions,
// which must come from the engine's allocator (EngineAlloc) and pass into its keeping.
// The engine's working buffers live for one __RasterScene call, unless the caller keeps
// them between renders (EngineKeepBuffers below).
//
// Settings. Process-wide variables with setters and getters; nothing is reset between
// renders, so a caller sets what it needs before each __RasterScene. One render at a
// time: the engine keeps its state in unguarded globals.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "platform/export.h"

// ---------------------------------------------------------------------------------------
// Records

// One vertex. The two flags are one byte each, first in a 4-byte slot.
struct __Point3ds {
  float x, y, z;  // pixels relative to the origin; z larger is nearer
  unsigned char has_uv;  // u, v valid
  unsigned char has_uv_pad[3];
  float u, v;
  unsigned char has_normal;  // nx, ny, nz valid (not necessarily unit length)
  unsigned char has_normal_pad[3];
  float nx, ny, nz;
};

// One face: indices into the vertex array (at least 0 and below the vertex count; the
// engine does not check them) and a material index.
struct __Triangle3ds {
  int32_t a, b, c;
  uint16_t reserved;  // written as zero, never read
  uint16_t material;
};

// A direction: the interpolated surface normal handed to the shader.
struct __Point {
  float x, y, z;
};

// The previous pixel of the current row, kept by the triangle rasterizers.
struct __PrevInfo {
  float nx, ny, nz;  // the normal used at that pixel
  unsigned char valid;  // the other fields hold a pixel of the current row
  float x, y;  // its position relative to the origin
  float u, v;  // its texture coordinates
};

// One texture slot, four per material: 4m + 0 colour, + 1 opacity, + 2 bump,
// + 3 reflection. Stored raw in model files, so the layout is fixed: 24 bytes with the
// pixel pointer at offset 12 (hence 4-byte packing).
#pragma pack(push, 4)
struct __Texture {
  unsigned char present;  // an image is attached
  unsigned char reserved0[3];
  int32_t width;
  int32_t height;
  unsigned char* pixels;  // width * height texels, blue, green, red, alpha; meaningless in a file
  unsigned char deep;  // the pixels are 16-bit
  unsigned char reserved1[3];
};
#pragma pack(pop)

// Glass settings of one material (16 bytes, stored raw in model files).
struct GlassProp {
  unsigned char glass;  // the glass stage is on
  unsigned char reserved[3];
  float optical;  // optical coefficient
  float refraction;  // pixels of displacement per unit of the bent normal
  float aberration;  // chromatic aberration, percent
};

// Settings of one map inside a material (272 bytes).
struct map3ds {
  char name[16];  // "Texture", "Opacity", "Bump", "Reflect" or empty; not read by the engine
  float percent;  // strength: percentage / 100 (bump: / 1000)
  unsigned char reserved0[20];
  float u_scale, v_scale;
  float u_offset, v_offset;
  unsigned char reserved1[216];
};

// One material (2292 bytes, stored raw in model files).
struct material3ds {
  char name[20];  // not read by the engine
  float ambient[3];  // written as zero; not read
  float diffuse[3];  // 0..1
  float specular[3];  // 0..1
  float shininess;  // the specular exponent is shininess * 100
  float shininess_strength;
  unsigned char reserved0[4];
  float transparency;  // stored negated: -T/100 for T percent
  unsigned char reserved1[4];
  float self_illumination;  // 0..1
  unsigned char reserved2[20];
  map3ds texture_map;
  map3ds reserved_map0;
  map3ds opacity_map;
  map3ds bump_map;
  map3ds reserved_maps[3];
  map3ds reflection_map;
  unsigned char reserved3[16];
};

// One point light (72 bytes, stored raw in model files).
struct light3ds {
  char name[12];  // not read by the engine
  float position[3];  // same space as the vertices
  float colour[3];  // 0..1
  float multiplier;  // multiplies the diffuse term
  unsigned char reserved[32];
};

// The per-pixel shader: returns the pixel's opacity (0..1) and writes its three colour
// channels (channel units, 0.._MaxChannel) through c0, c1, c2.
typedef float (*__RenderOnePixelProc)(
    float origin_x, float origin_y, unsigned char* dst, unsigned char* src, float x, float y,
    float z, __Triangle3ds* tri, material3ds* mats, int mat_count, float& c0, float& c1,
    float& c2, __Point* normal, unsigned char textured, float u, float v, __Texture* textures,
    int light_count, light3ds* lights, __PrevInfo* prev, GlassProp* glass, float plane_nx,
    float plane_ny, float plane_nz, float plane_d);

// ---------------------------------------------------------------------------------------
// Settings variables (initial values in settings.cpp)

QV_API unsigned char _DrawMode;  // rendering mode 0..10
QV_API unsigned char _Deep;  // 0: 8-bit channels, else 16-bit
QV_API unsigned char _Quality;  // 0: no anti-aliasing, 1: anti-aliased
QV_API unsigned char _DubleSide;  // draw faces whatever their orientation
QV_API unsigned char _DrawBackFaces;  // render back faces first, in a pass of their own
QV_API unsigned char _DrawBackFaces1;  // set while the back-face pass runs
QV_API unsigned char _UseMultyRefract;  // multi-refraction; 2 also draws back faces in front
QV_API unsigned char _UsePhong2;  // second Phong normal scheme
QV_API unsigned char _UseGlass;  // stored and reported only
QV_API unsigned char _UseReflection;  // stored and reported only
QV_API unsigned char _UsePersp;  // stored and reported only
QV_API unsigned char _UseCustomMats;  // stored and reported only
QV_API float _WireSize;  // half-width of the lines of modes 1 and 2
QV_API float _Persp_Val;  // perspective strength of the last __AddPersp
QV_API float _Persp_x;
QV_API float _Persp_y;
QV_API float _Persp_Far;
QV_API float* ZBuff;  // Zwidth * Zheight floats, row-major
QV_API int32_t Zwidth;
QV_API int32_t Zheight;

// ---------------------------------------------------------------------------------------
// Setting accessors

QV_API void __SetDrawMode(unsigned char v);
QV_API unsigned char __GetDrawMode();
QV_API void __SetDeep(unsigned char v);
QV_API unsigned char __GetDeep();
QV_API void __SetQuality(unsigned char v);  // values above 1 store 1
QV_API unsigned char __GetQuality();
QV_API void __SetDubleSide(unsigned char v);
QV_API unsigned char __GetDubleSide();
QV_API void __SetDrawBackFaces(unsigned char v);
QV_API unsigned char __GetDrawBackFaces();
QV_API void __SetUseMultyRefract(unsigned char v);
QV_API unsigned char __GetUseMultyRefract();
QV_API void __SetUsePhong2(unsigned char v);
QV_API unsigned char __GetUsePhong2();
QV_API void __SetUseGlass(unsigned char v);
QV_API unsigned char __GetUseGlass();
QV_API void __SetUseReflection(unsigned char v);
QV_API unsigned char __GetUseReflection();
QV_API void __SetUsePersp(unsigned char v);
QV_API unsigned char __GetUsePersp();
QV_API void __SetUseCustomMats(unsigned char v);
QV_API unsigned char __GetUseCustomMats();

// Installs a z-buffer (from EngineAlloc; it passes into the engine's keeping) when the
// buffer is non-null and both sizes positive; otherwise clears the z-buffer globals.
QV_API void __SetZBuff(float* buffer, int width, int height);
QV_API void __GetZBuff(float*& buffer, int& width, int& height);

// The light used when a render is given no lights; the engine does not release it.
QV_API void __SetLightDef(light3ds* light);

QV_API void __SetDefRenderOnePixel();
QV_API void __SetNewRenderOnePixel(__RenderOnePixelProc shader);

// Replace *buffer (from EngineAlloc) by a new one in the other channel width, holding
// height * row_channels channels; the old buffer is released. Width is not used.
QV_API void __ConvertBYTE8TO16(unsigned char** buffer, int width, int height, int row_channels);
QV_API void __ConvertBYTE16TO8(unsigned char** buffer, int width, int height, int row_channels);
// Brings a present texture's pixels to the current channel width.
QV_API void __ConvertText(__Texture* texture);

QV_API int __mmx_present();

// ---------------------------------------------------------------------------------------
// Scene entry points

// Draws a triangle mesh into dst (red, green, blue, alpha at the current depth) over the
// background src, both width x height with stride channels per row (must be width * 4).
QV_API void __RasterScene(unsigned char* dst, unsigned char* src, int width, int height,
                          int stride, int point_count, int tri_count, __Triangle3ds* tris,
                          __Point3ds* points, int origin_x, int origin_y, int mat_count,
                          material3ds* mats, __Texture* textures, int light_count,
                          light3ds* lights, GlassProp* glass);

// Sorts the triangles in place, farthest (smallest depth sum) first.
QV_API void __Sort(int count, __Triangle3ds* tris, __Point3ds* points);

// Perspective projection of the first count vertices' x and y; records its arguments.
QV_API void __AddPersp(int count, __Point3ds* points, float val, float x, float y, float far_);

// Fills every triangle in one colour (channel units) and opacity, without shading or depth.
QV_API void __RasterSolid(unsigned char* dst, int width, int height, int stride, int unused,
                          int count, __Triangle3ds* tris, __Point3ds* points, int origin_x,
                          int origin_y, float c0, float c1, float c2, float opacity);

// Outlines the front faces of a scene in one colour, with the image size, stride and
// channel range of the last __RasterScene or __RasterSolid.
QV_API void __DrawScenesLineColor(float width, int red, int green, int blue, unsigned char* dst,
                                  unsigned char* src, int image_width, int image_height,
                                  int unused, int count, __Triangle3ds* tris,
                                  __Point3ds* points, int origin_x, int origin_y);

// ---------------------------------------------------------------------------------------
// Internal to the module: what the effect's shell needs of the engine beyond the exports.
// None of these is exported.

// The engine's block allocator: zero-filled blocks, released only by EngineFree. The
// effect's own buffers use it too.
void* EngineAlloc(size_t bytes);
// EngineAlloc for a block written whole on every use (z-buffer, frame images): backed by
// large pages where the system offers them.
void* EngineAllocWhole(size_t bytes);
void EngineFree(void* block);

// Keeping the working buffers between renders (not exported): while on, __RasterScene takes
// its z-buffer and scratch images from a store that grows to the largest render so far,
// instead of allocating and freeing them on every call; EngineReleaseBuffers frees the
// store. The effect turns it on around its own renders and releases at setdown.
void EngineKeepBuffers(bool keep);
void EngineReleaseBuffers();
// Chooses the engine's processor-dependent paths once (global setup): AVX where the
// processor has it, else SSE2 (not exported).
void EngineChooseCpuPaths();

// The effect's own frame images, in the same store: while keeping, the image's block when
// it is large enough (holding what the last render left in it), else a new zero-filled one
// that replaces it; otherwise a new block each time. Null when it cannot be allocated.
// EngineGiveBackImage keeps the stored block and frees any other (null is ignored).
enum class EngineImage { kFrame, kBackground };
void* EngineTakeImage(EngineImage image, size_t bytes);
void EngineGiveBackImage(EngineImage image, void* block);

// True when the last __RasterScene drew nothing because its z-buffer, default light or
// scratch images could not be allocated; false after a render that had all it needed. The
// exported interface reports no errors: the effect reads this so that a frame the engine
// could not draw ends in the host's out-of-memory error instead of a silent success.
bool EngineOutOfMemory();

// True while the engine's own shader is installed (no __SetNewRenderOnePixel in force).
bool EngineDefaultShaderInstalled();
