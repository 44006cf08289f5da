// Host callbacks: the interaction callbacks embedded in PF_InData and the utility
// callbacks it points to. Every interaction callback takes the effect_ref first.
#pragma once

#include "ae_custom_ui.h"
#include "ae_params.h"
#include "ae_types.h"

typedef struct {
  PF_Err (*checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time,
                           A_long time_step, A_u_long time_scale, PF_ParamDef* param);
  PF_Err (*checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef* param);
  PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
  PF_Err (*abort)(PF_ProgPtr effect_ref);
  PF_Err (*progress)(PF_ProgPtr effect_ref, A_long current, A_long total);
  PF_Err (*register_ui)(PF_ProgPtr effect_ref, PF_CustomUIInfo* cust_info);
  void* checkout_layer_audio;
  void* checkin_layer_audio;
  void* get_audio_data;
  void* reserved_str[3];
  void* reserved[10];
} PF_InteractCallbacks;

typedef struct {
  double (*atan)(double);
  double (*atan2)(double, double);
  double (*ceil)(double);
  double (*cos)(double);
  double (*exp)(double);
  double (*fabs)(double);
  double (*floor)(double);
  double (*fmod)(double, double);
  double (*hypot)(double, double);
  double (*log)(double);
  double (*log10)(double);
  double (*pow)(double, double);
  double (*sin)(double);
  double (*sqrt)(double);
  double (*tan)(double);
  int (*sprintf)(A_char*, const A_char*, ...);
  A_char* (*strcpy)(A_char*, const A_char*);
  double (*asin)(double);
  double (*acos)(double);
  A_long ansi_procs[1];
} PF_ANSICallbacks;

typedef struct {
  void* colour_procs[8];
} PF_ColorCallbacks;

typedef struct {
  void* sampling_and_world_procs[20];  // never called by this effect
  PF_Handle (*host_new_handle)(A_u_longlong size);
  void* (*host_lock_handle)(PF_Handle handle);
  void (*host_unlock_handle)(PF_Handle handle);
  void (*host_dispose_handle)(PF_Handle handle);
  void* get_callback_addr;
  void* app;
  PF_ANSICallbacks ansi;
  PF_ColorCallbacks colorCB;
  PF_Err (*get_platform_data)(PF_ProgPtr effect_ref, PF_PlatDataID which, void* data);
  void* further_procs[13];
  A_long reserved[1];
} PF_UtilCallbacks;
