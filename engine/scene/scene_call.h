// One __RasterScene call as the per-mode drivers see it, and the drivers' entry.
#pragma once

#include "engine/engine.h"

struct SceneCall {
  unsigned char* dst;
  unsigned char* src;
  int width, height;
  int tri_count;
  __Triangle3ds* tris;
  __Point3ds* points;
  int origin_x, origin_y;
  int mat_count;
  material3ds* mats;
  __Texture* textures;
  int light_count;
  light3ds* lights;
  GlassProp* glass;
};

// Runs the driver of _DrawMode for one pass (modes without a driver draw nothing).
void RunModeDriver(const SceneCall& call);
