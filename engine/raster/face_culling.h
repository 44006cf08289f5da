// Which faces a pass draws: the orientation of a face as the viewer sees it, and the rule
// of the shaded modes (whole triangles in the flat and Phong modes, the parts of a patch).
#pragma once

#include "engine/engine.h"

// Nz of the orientation normal (P2 - P1) x (P0 - P1); a face is front-facing when it is >= 0.
inline float OrientationNz(const __Point3ds& p0, const __Point3ds& p1, const __Point3ds& p2) {
  return (p2.x - p1.x) * (p0.y - p1.y) - (p2.y - p1.y) * (p0.x - p1.x);
}

// Front faces in the front pass and back faces in the back-face pass; both sides with
// _DubleSide, and back faces in the front pass too when multi-refraction is 2.
inline bool FacesCurrentPass(float nz) {
  return (nz >= 0.0f && !_DrawBackFaces1) || (nz < 0.0f && _DrawBackFaces1) ||
         (_UseMultyRefract == 2 && !_DrawBackFaces1) || _DubleSide;
}
