// Bump mapping of the default shader: the tilt of the normal by the bump image's slope.
#include "engine/shading/shading_stages.h"

// Not built yet: the bump lookup lands with the map work; until then it reports "no sample"
// and leaves the normal as it is.
void ApplyBump(float& nx, float& ny, const map3ds& map, const __Texture& image, float& percent,
               bool& enabled, float u, float v, const __PrevInfo* prev) {
  enabled = false;
}
