// Reflection map lookup of the default shader.
#include "engine/shading/shading_stages.h"

// Not built yet: the box-mapped reflection lookup lands with the glass work; until then it
// reports "no sample" and the shader keeps its diffuse colour.
void SampleReflection(float x, float y, float z, const __Point& n, const map3ds& map,
                      const __Texture& image, float& percent, bool& enabled, float& r, float& g,
                      float& b) {
  enabled = false;
}
