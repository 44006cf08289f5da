// Base types of the host's effect interface, with the widths the 64-bit Windows host uses.
// Fixed-width integers keep the same sizes in the native build, so every record below has
// one layout in both builds.
#pragma once

#include <stdint.h>

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef char A_char;
typedef unsigned char A_u_char;
typedef unsigned char A_Boolean;
typedef unsigned char PF_Boolean;
typedef int64_t A_intptr_t;
typedef uint64_t A_u_longlong;
typedef double PF_FpLong;

typedef A_long PF_Fixed;  // 16.16 fixed point
typedef void** PF_Handle;

typedef A_long PF_Err;
typedef A_long PF_Cmd;
typedef A_long PF_ParamType;
typedef A_long PF_ParamIndex;
typedef A_long PF_Quality;
typedef A_long PF_Field;
typedef A_long PF_ParamFlags;
typedef A_long PF_ParamUIFlags;
typedef A_long PF_ChangeFlags;
typedef A_long PF_OutFlags;
typedef A_long PF_OutFlags2;
typedef A_long PF_InFlags;
typedef A_long PF_WorldFlags;
typedef A_long PF_EventType;
typedef A_long PF_EventInFlags;
typedef A_long PF_EventOutFlags;
typedef A_long PF_PlatDataID;
typedef A_long PF_CursorType;
typedef A_long PF_Modifiers;
typedef A_long PF_WindowType;
typedef A_long PF_EffectArea;
typedef int SPErr;

typedef struct _PF_ProgressInfo* PF_ProgPtr;

typedef struct {
  A_long h, v;
} PF_Point;

typedef struct {
  A_long left, top, right, bottom;
} PF_Rect;

typedef PF_Rect PF_UnionableRect;

typedef struct {
  A_long num;
  A_u_long den;
} PF_RationalScale;

typedef struct {
  A_short major, minor;
} PF_SpecVersion;

// One 8-bit pixel as the host stores it: alpha first.
typedef struct {
  A_u_char alpha, red, green, blue;
} PF_Pixel;

typedef struct {
  A_u_short alpha, red, green, blue;
} PF_Pixel16;
