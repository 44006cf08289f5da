// Painter's order of the triangles (placeholder).
#include "engine/engine_state.h"

QV_API void __Sort(int count, __Triangle3ds* tris, __Point3ds* points) {}
