// Suites the host hands out by name and version through SPBasicSuite, as far as the
// effect uses them: the custom UI drawing reference, the Drawbot drawing suites and the
// application suite that invalidates a control.
#pragma once

#include <stddef.h>

#include "ae_custom_ui.h"
#include "ae_types.h"

typedef struct SPBasicSuite {
  SPErr (*AcquireSuite)(const char* name, int version, const void** suite);
  SPErr (*ReleaseSuite)(const char* name, int version);
  int (*IsEqual)(const char* token1, const char* token2);
  SPErr (*AllocateBlock)(size_t size, void** block);
  SPErr (*FreeBlock)(void* block);
  SPErr (*ReallocateBlock)(void* block, size_t new_size, void** new_block);
  SPErr (*Undefined)(void);
} SPBasicSuite;

typedef struct _DRAWBOT_DrawRef* DRAWBOT_DrawRef;
typedef struct _DRAWBOT_SupplierRef* DRAWBOT_SupplierRef;
typedef struct _DRAWBOT_SurfaceRef* DRAWBOT_SurfaceRef;
typedef struct _DRAWBOT_ImageRef* DRAWBOT_ImageRef;
typedef struct _DRAWBOT_ObjectRef* DRAWBOT_ObjectRef;

typedef struct {
  float x, y;
} DRAWBOT_PointF32;

enum {
  kDRAWBOT_PixelLayout_24RGB = 0,
  kDRAWBOT_PixelLayout_24BGR = 1,
  kDRAWBOT_PixelLayout_32RGB = 2,
  kDRAWBOT_PixelLayout_32BGR = 3,
  kDRAWBOT_PixelLayout_32ARGB_Straight = 4,
  kDRAWBOT_PixelLayout_32ARGB_Premul = 5,
  kDRAWBOT_PixelLayout_32BGRA_Straight = 6,
  kDRAWBOT_PixelLayout_32BGRA_Premul = 7
};

#define kPFEffectCustomUISuite "PF Effect Custom UI Suite"
#define kPFEffectCustomUISuiteVersion1 1
typedef struct {
  PF_Err (*PF_GetDrawingReference)(PF_ContextH effect_contextH, DRAWBOT_DrawRef* referenceP);
} PF_EffectCustomUISuite1;

#define kDRAWBOT_DrawSuite "DRAWBOT Draw Suite"
#define kDRAWBOT_SupplierSuite "DRAWBOT Supplier Suite"
#define kDRAWBOT_SurfaceSuite "DRAWBOT Surface Suite"
#define kDRAWBOT_PathSuite "DRAWBOT Path Suite"
#define kDRAWBOT_SuiteVersion1 1

typedef struct {
  SPErr (*GetSupplier)(DRAWBOT_DrawRef in_drawbot_ref, DRAWBOT_SupplierRef* out_supplierP);
  SPErr (*GetSurface)(DRAWBOT_DrawRef in_drawbot_ref, DRAWBOT_SurfaceRef* out_surfaceP);
} DRAWBOT_DrawbotSuite1;

typedef struct {
  void* NewPen;
  void* NewBrush;
  void* SupportsText;
  void* GetDefaultFontSize;
  void* NewDefaultFont;
  SPErr (*NewImageFromBuffer)(DRAWBOT_SupplierRef in_supplier_ref, int width, int height,
                              int row_bytes, int pixel_layout, const void* data,
                              DRAWBOT_ImageRef* out_imageP);
  void* NewPath;
  void* SupportsPixelLayoutBGRA;
  void* PrefersPixelLayoutBGRA;
  void* SupportsPointerPixelLayout;
  void* PrefersPointerPixelLayout;
  void* RetainObject;
  SPErr (*ReleaseObject)(DRAWBOT_ObjectRef in_obj_ref);
} DRAWBOT_SupplierSuite1;

typedef struct {
  void* PushStateStack;
  void* PopStateStack;
  void* PaintRect;
  void* FillPath;
  void* StrokePath;
  void* Clip;
  void* GetClipBounds;
  void* IsWithinClipBounds;
  void* Transform;
  void* DrawString;
  SPErr (*DrawImage)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_ImageRef in_image_ref,
                     const DRAWBOT_PointF32* in_originP, float in_alpha);
  void* SetInterpolationPolicy;
  void* GetInterpolationPolicy;
  void* SetAntiAliasPolicy;
  void* GetAntiAliasPolicy;
  void* Flush;
} DRAWBOT_SurfaceSuite1;

typedef struct {
  void* procs[16];
} DRAWBOT_PathSuite1;

#define kPFAppSuite "PF AE App Suite"
#define kPFAppSuiteVersion6 6
typedef struct {
  void* PF_AppGetBgColor;
  void* PF_AppGetColor;
  void* PF_AppGetPersonalInfo;
  void* PF_AppGetFontStyleSheet;
  void* PF_AppSetCursor;
  void* PF_AppGetIsRenderEngine;
  void* PF_AppAtomicColorPicker;
  void* PF_AppGetMouse;
  PF_Err (*PF_InvalidateRect)(PF_ContextH contextH, const PF_Rect* rectP0);
} PFAppSuite6;
