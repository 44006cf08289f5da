// The engine's working globals: set up by the scene entry for one render and shared by the
// rasterizers and the shader. Internal to the module, never exported.
#pragma once

#include <stdint.h>

#include "engine/engine.h"

extern int32_t _MaxChannel;  // 255 when _Deep is 0, 32768 otherwise
extern int32_t _RowStride;  // row stride of the output image, in channels
extern unsigned char* _OutImage;  // output image of the current render
extern unsigned char* _BackCopy;  // working copy of the background image
extern float* _GlassDepth;  // one float per pixel for the glass stage
extern unsigned char* _TriLayer;  // scratch layer one triangle is drawn into
extern unsigned char* _EdgeColor;  // per pixel: colour and coverage of the last edge composite
extern unsigned char* _EdgeUnder;  // per pixel: the colour found under that edge
extern unsigned char _ZBuffOwned;  // the current render allocated ZBuff
extern unsigned char _LightDefOwned;  // the current render allocated LightDef
extern light3ds* LightDef;  // default light
extern __RenderOnePixelProc RenderOnePixel;  // the installed shader

// The engine's own shader, installed at load.
float DefRenderOnePixel(float origin_x, float origin_y, unsigned char* dst, unsigned char* src,
                        float x, float y, float z, __Triangle3ds* tri, material3ds* mats,
                        int mat_count, float& c0, float& c1, float& c2, __Point* normal,
                        unsigned char textured, float u, float v, __Texture* textures,
                        int light_count, light3ds* lights, __PrevInfo* prev, GlassProp* glass,
                        float plane_nx, float plane_ny, float plane_nz, float plane_d);
