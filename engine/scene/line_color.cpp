// Outline of a scene in one colour. Not built yet: it draws nothing until the line modes
// are built.
#include "engine/engine_state.h"

QV_API void __DrawScenesLineColor(float width, int red, int green, int blue, unsigned char* dst,
                                  unsigned char* src, int image_width, int image_height,
                                  int unused, int count, __Triangle3ds* tris,
                                  __Point3ds* points, int origin_x, int origin_y) {}
