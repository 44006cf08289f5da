// The engine's working globals, shared by the scene entry, the rasterizers and the shader.
#include "engine/engine_state.h"

int32_t _MaxChannel = 255;
int32_t _RowStride = 0;
unsigned char* _OutImage = nullptr;
unsigned char* _BackCopy = nullptr;
float* _GlassDepth = nullptr;
unsigned char* _TriLayer = nullptr;
unsigned char* _EdgeColor = nullptr;
unsigned char* _EdgeUnder = nullptr;
unsigned char _ZBuffOwned = 0;
unsigned char _LightDefOwned = 0;
light3ds* LightDef = nullptr;
__RenderOnePixelProc RenderOnePixel = DefRenderOnePixel;
