// The engine's settings: the exported variables with their initial values, their setters
// and getters, the default light and the shader hook. The z-buffer's accessors live with
// its extent in zbuffer.cpp.
#include "engine/engine_state.h"

extern "C" {
QV_EXPORT unsigned char _DrawMode = 6;  // "Phong"
QV_EXPORT unsigned char _Deep = 0;  // 8-bit channels
QV_EXPORT unsigned char _Quality = 1;  // anti-aliased
QV_EXPORT unsigned char _DubleSide = 0;
QV_EXPORT unsigned char _DrawBackFaces = 0;
QV_EXPORT unsigned char _DrawBackFaces1 = 0;
QV_EXPORT unsigned char _UseMultyRefract = 1;
QV_EXPORT unsigned char _UsePhong2 = 0;
QV_EXPORT unsigned char _UseGlass = 0;
QV_EXPORT unsigned char _UseReflection = 0;
QV_EXPORT unsigned char _UsePersp = 0;
QV_EXPORT unsigned char _UseCustomMats = 1;
QV_EXPORT float _WireSize = 1.0f;
QV_EXPORT float _Persp_Val = 0.0f;
QV_EXPORT float _Persp_x = 0.0f;
QV_EXPORT float _Persp_y = 0.0f;
QV_EXPORT float _Persp_Far = 1000.0f;
QV_EXPORT float* ZBuff = nullptr;  // accessors and real extent in zbuffer.cpp
QV_EXPORT int32_t Zwidth = 0;
QV_EXPORT int32_t Zheight = 0;
}

QV_API void __SetDrawMode(unsigned char v) { _DrawMode = v; }
QV_API unsigned char __GetDrawMode() { return _DrawMode; }
QV_API void __SetDeep(unsigned char v) { _Deep = v; }
QV_API unsigned char __GetDeep() { return _Deep; }
// Quality is a switch: anything above 1 means "anti-aliased".
QV_API void __SetQuality(unsigned char v) { _Quality = v > 1 ? 1 : v; }
QV_API unsigned char __GetQuality() { return _Quality; }
QV_API void __SetDubleSide(unsigned char v) { _DubleSide = v; }
QV_API unsigned char __GetDubleSide() { return _DubleSide; }
QV_API void __SetDrawBackFaces(unsigned char v) { _DrawBackFaces = v; }
QV_API unsigned char __GetDrawBackFaces() { return _DrawBackFaces; }
QV_API void __SetUseMultyRefract(unsigned char v) { _UseMultyRefract = v; }
QV_API unsigned char __GetUseMultyRefract() { return _UseMultyRefract; }
QV_API void __SetUsePhong2(unsigned char v) { _UsePhong2 = v; }
QV_API unsigned char __GetUsePhong2() { return _UsePhong2; }
QV_API void __SetUseGlass(unsigned char v) { _UseGlass = v; }
QV_API unsigned char __GetUseGlass() { return _UseGlass; }
QV_API void __SetUseReflection(unsigned char v) { _UseReflection = v; }
QV_API unsigned char __GetUseReflection() { return _UseReflection; }
QV_API void __SetUsePersp(unsigned char v) { _UsePersp = v; }
QV_API unsigned char __GetUsePersp() { return _UsePersp; }
QV_API void __SetUseCustomMats(unsigned char v) { _UseCustomMats = v; }
QV_API unsigned char __GetUseCustomMats() { return _UseCustomMats; }

// The caller keeps the light: a render releases LightDef only when it built it itself.
QV_API void __SetLightDef(light3ds* light) { LightDef = light; }

QV_API void __SetDefRenderOnePixel() { RenderOnePixel = DefRenderOnePixel; }
QV_API void __SetNewRenderOnePixel(__RenderOnePixelProc shader) { RenderOnePixel = shader; }

bool EngineDefaultShaderInstalled() { return RenderOnePixel == DefRenderOnePixel; }

// Kept for callers that still ask: the engine has no separate SIMD path.
QV_API int __mmx_present() { return 1; }
