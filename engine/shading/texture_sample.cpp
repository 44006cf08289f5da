// Colour and opacity texture sampling of the default shader.
#include "engine/shading/shading_stages.h"

// Not built yet: the wrapped, filtered texture lookup lands with the map work; until then it
// reports "no sample" and the shader keeps its colour and opacity.
void SampleTexture(float& r, float& g, float& b, const map3ds& map, const __Texture& image,
                   float& percent, bool& enabled, float u, float v, const __PrevInfo* prev) {
  enabled = false;
}
