// What one __RasterScene call draws, as its drivers and rasterizers see it: the triangles
// and their vertices, the origin, the materials, textures, lights and glass. The images it
// draws into are the frame's (frame.h).
#pragma once

#include "engine/engine.h"

struct Draw {
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

// A triangle's plane nx*x + ny*y + nz*z + d = 0 in image pixels.
struct Plane {
  float nx, ny, nz, d;
};

struct Frame;
// Runs the driver of _DrawMode for one pass (modes without a driver draw nothing).
void RunModeDriver(Frame& frame, const Draw& draw);
