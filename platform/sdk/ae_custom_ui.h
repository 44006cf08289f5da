// Records of the custom user interface: the registration record and the event record the
// host hands over with PF_Cmd_EVENT.
#pragma once

#include "ae_types.h"

typedef struct {
  A_long reserved;
  A_long events;  // PF_CustomEFlag_*
  A_long comp_ui_width;
  A_long comp_ui_height;
  A_long comp_ui_alignment;
  A_long layer_ui_width;
  A_long layer_ui_height;
  A_long layer_ui_alignment;
  A_long preview_ui_width;
  A_long preview_ui_height;
  A_long preview_ui_alignment;
} PF_CustomUIInfo;

// Owned by the host; the effect only reads w_type.
typedef struct PF_Context {
  A_u_long magic;  // 0x05EA771E
  PF_WindowType w_type;
  void* reserved_flat;
  A_intptr_t reserved[4];
  void* drawing_ref;
  void* reserved_pointer;
  void* reserved_pointer2;
} PF_Context;

typedef PF_Context** PF_ContextH;

enum { PF_CONTEXT_MAGIC = 0x05EA771E };

typedef struct {
  A_u_long when;
  PF_Point screen_point;
  A_long num_clicks;
  PF_Modifiers modifiers;
  A_intptr_t continue_refcon[4];
  PF_Boolean send_drag;
  PF_Boolean last_time;
} PF_DoClickEventInfo;

typedef struct {
  PF_Rect update_rect;
  A_long depth;
} PF_DrawEventInfo;

typedef struct {
  PF_Point screen_point;
  PF_Modifiers modifiers;
  PF_CursorType set_cursor;
} PF_AdjustCursorEventInfo;

typedef union {
  PF_DoClickEventInfo do_click;
  PF_DrawEventInfo draw;
  PF_AdjustCursorEventInfo adjust_cursor;
  A_intptr_t space[8];  // the host's union is 64 bytes
} PF_EventUnion;

typedef struct {
  A_long index;  // parameter index of the control
  PF_EffectArea area;
  PF_Rect current_frame;
  PF_Rect param_title_frame;
  A_long horiz_offset;
} PF_EffectWindowInfo;

typedef struct {
  void* refcon;
  void* callbacks[8];
} PF_EventCallbacks;

typedef struct {
  PF_ContextH contextH;
  PF_EventType e_type;
  PF_EventUnion u;
  PF_EffectWindowInfo effect_win;
  PF_EventCallbacks cbs;
  PF_EventInFlags evt_in_flags;
  PF_EventOutFlags evt_out_flags;
} PF_EventExtra;
