// Perspective projection of the vertices (placeholder).
#include "engine/engine_state.h"

QV_API void __AddPersp(int count, __Point3ds* points, float val, float x, float y, float far_) {}
