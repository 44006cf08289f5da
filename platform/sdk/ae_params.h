// The parameter definition record (PF_ParamDef) and the per-type members of its union.
#pragma once

#include "ae_types.h"
#include "ae_world.h"

enum { PF_MAX_EFFECT_PARAM_NAME_LEN = 31 };

typedef struct {
  A_long value;
  A_char value_str[32];
  A_char value_desc[32];
  A_long valid_min, valid_max;
  A_long slider_min, slider_max;
  A_long dephault;
} PF_SliderDef;

typedef struct {
  PF_Fixed value;
  A_char value_str[32];
  A_char value_desc[32];
  PF_Fixed valid_min, valid_max;
  PF_Fixed slider_min, slider_max;
  PF_Fixed dephault;
  A_short precision;
  A_short display_flags;
} PF_FixedSliderDef;

typedef struct {
  PF_Fixed x_value;
  PF_Fixed y_value;
  A_char reserved[3];
  PF_Boolean restrict_bounds;
  PF_Fixed x_dephault;  // percent of the layer, 16.16
  PF_Fixed y_dephault;
} PF_PointDef;

typedef struct {
  PF_Fixed value;  // degrees, 16.16
  PF_Fixed dephault;
  PF_Fixed valid_min;
  PF_Fixed valid_max;
} PF_AngleDef;

typedef struct {
  A_long value;
  PF_Boolean dephault;
  A_char reserved;
  A_short reserved1;
  union {
    const A_char* nameptr;  // label shown beside the box
  } u;
} PF_CheckBoxDef;

typedef struct {
  PF_Pixel value;
  PF_Pixel dephault;
} PF_ColorDef;

typedef struct {
  A_long value;  // choices are numbered from 1
  A_short num_choices;
  A_short dephault;
  union {
    const A_char* namesptr;  // choices separated by '|'
  } u;
} PF_PopupDef;

typedef union {
  PF_LayerDef ld;
  PF_SliderDef sd;
  PF_FixedSliderDef fd;
  PF_PointDef td;
  PF_AngleDef ad;
  PF_CheckBoxDef bd;
  PF_ColorDef cd;
  PF_PopupDef pd;
} PF_ParamDefUnion;

typedef struct PF_ParamDef {
  union {
    A_long id;  // disk id
    PF_ChangeFlags change_flags;
  } uu;
  PF_ParamUIFlags ui_flags;
  A_short ui_width;
  A_short ui_height;
  PF_ParamType param_type;
  A_char name[32];
  PF_ParamFlags flags;
  A_long unused;
  PF_ParamDefUnion u;
} PF_ParamDef;

typedef PF_ParamDef* PF_ParamDefPtr;
typedef PF_ParamDef** PF_ParamList;
