// The glass stage of the default shader: refraction of the background with chromatic
// aberration.
#include "engine/shading/shading_stages.h"

// Not built yet: the refraction lands with the glass work; until then the stage leaves the
// diffuse colour and the opacity as they are.
void ApplyGlass(const GlassPixel& pixel, const GlassProp& glass, float diffuse[3],
                float& alpha) {}
