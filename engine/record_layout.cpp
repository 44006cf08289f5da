// Compile-time checks of the engine records' byte layouts. Materials, lights, texture
// slots and glass entries are stored raw in model files, so every offset below is part of
// the file format; the vertex and face records are checked for their field order.
#include <stddef.h>

#include "engine/engine.h"

// __Point3ds: the flags are one byte each, first in a 4-byte slot.
static_assert(offsetof(__Point3ds, x) == 0, "__Point3ds.x");
static_assert(offsetof(__Point3ds, y) == 4, "__Point3ds.y");
static_assert(offsetof(__Point3ds, z) == 8, "__Point3ds.z");
static_assert(offsetof(__Point3ds, has_uv) == 12, "__Point3ds.has_uv");
static_assert(offsetof(__Point3ds, u) == 16, "__Point3ds.u");
static_assert(offsetof(__Point3ds, v) == 20, "__Point3ds.v");
static_assert(offsetof(__Point3ds, has_normal) == 24, "__Point3ds.has_normal");
static_assert(offsetof(__Point3ds, nx) == 28, "__Point3ds.nx");
static_assert(offsetof(__Point3ds, ny) == 32, "__Point3ds.ny");
static_assert(offsetof(__Point3ds, nz) == 36, "__Point3ds.nz");
static_assert(sizeof(__Point3ds) == 40, "__Point3ds size");

static_assert(offsetof(__Triangle3ds, a) == 0, "__Triangle3ds.a");
static_assert(offsetof(__Triangle3ds, b) == 4, "__Triangle3ds.b");
static_assert(offsetof(__Triangle3ds, c) == 8, "__Triangle3ds.c");
static_assert(offsetof(__Triangle3ds, reserved) == 12, "__Triangle3ds.reserved");
static_assert(offsetof(__Triangle3ds, material) == 14, "__Triangle3ds.material");
static_assert(sizeof(__Triangle3ds) == 16, "__Triangle3ds size");

// __Texture: 24 bytes, the pointer unaligned at 12 (4-byte packing).
static_assert(offsetof(__Texture, present) == 0, "__Texture.present");
static_assert(offsetof(__Texture, width) == 4, "__Texture.width");
static_assert(offsetof(__Texture, height) == 8, "__Texture.height");
static_assert(offsetof(__Texture, pixels) == 12, "__Texture.pixels");
static_assert(offsetof(__Texture, deep) == 20, "__Texture.deep");
static_assert(sizeof(__Texture) == 24, "__Texture size");

static_assert(offsetof(GlassProp, glass) == 0, "GlassProp.glass");
static_assert(offsetof(GlassProp, optical) == 4, "GlassProp.optical");
static_assert(offsetof(GlassProp, refraction) == 8, "GlassProp.refraction");
static_assert(offsetof(GlassProp, aberration) == 12, "GlassProp.aberration");
static_assert(sizeof(GlassProp) == 16, "GlassProp size");

static_assert(offsetof(map3ds, name) == 0, "map3ds.name");
static_assert(offsetof(map3ds, percent) == 16, "map3ds.percent");
static_assert(offsetof(map3ds, reserved0) == 20, "map3ds.reserved0");
static_assert(offsetof(map3ds, u_scale) == 40, "map3ds.u_scale");
static_assert(offsetof(map3ds, v_scale) == 44, "map3ds.v_scale");
static_assert(offsetof(map3ds, u_offset) == 48, "map3ds.u_offset");
static_assert(offsetof(map3ds, v_offset) == 52, "map3ds.v_offset");
static_assert(offsetof(map3ds, reserved1) == 56, "map3ds.reserved1");
static_assert(sizeof(map3ds) == 272, "map3ds size");

static_assert(offsetof(material3ds, name) == 0, "material3ds.name");
static_assert(offsetof(material3ds, ambient) == 20, "material3ds.ambient");
static_assert(offsetof(material3ds, diffuse) == 32, "material3ds.diffuse");
static_assert(offsetof(material3ds, specular) == 44, "material3ds.specular");
static_assert(offsetof(material3ds, shininess) == 56, "material3ds.shininess");
static_assert(offsetof(material3ds, shininess_strength) == 60, "material3ds.shininess_strength");
static_assert(offsetof(material3ds, reserved0) == 64, "material3ds.reserved0");
static_assert(offsetof(material3ds, transparency) == 68, "material3ds.transparency");
static_assert(offsetof(material3ds, reserved1) == 72, "material3ds.reserved1");
static_assert(offsetof(material3ds, self_illumination) == 76, "material3ds.self_illumination");
static_assert(offsetof(material3ds, reserved2) == 80, "material3ds.reserved2");
static_assert(offsetof(material3ds, texture_map) == 100, "material3ds.texture_map");
static_assert(offsetof(material3ds, reserved_map0) == 372, "material3ds.reserved_map0");
static_assert(offsetof(material3ds, opacity_map) == 644, "material3ds.opacity_map");
static_assert(offsetof(material3ds, bump_map) == 916, "material3ds.bump_map");
static_assert(offsetof(material3ds, reserved_maps) == 1188, "material3ds.reserved_maps");
static_assert(sizeof(material3ds::reserved_maps) == 816, "material3ds.reserved_maps size");
static_assert(offsetof(material3ds, reflection_map) == 2004, "material3ds.reflection_map");
static_assert(offsetof(material3ds, reserved3) == 2276, "material3ds.reserved3");
static_assert(sizeof(material3ds) == 2292, "material3ds size");

static_assert(offsetof(light3ds, name) == 0, "light3ds.name");
static_assert(offsetof(light3ds, position) == 12, "light3ds.position");
static_assert(offsetof(light3ds, colour) == 24, "light3ds.colour");
static_assert(offsetof(light3ds, multiplier) == 36, "light3ds.multiplier");
static_assert(offsetof(light3ds, reserved) == 40, "light3ds.reserved");
static_assert(sizeof(light3ds) == 72, "light3ds size");
