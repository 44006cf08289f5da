// The host's image record (PF_LayerDef, also called the effect world): an input layer,
// a layer parameter or the output buffer. Pixels are alpha, red, green, blue; rows are
// rowbytes apart.
#pragma once

#include "ae_types.h"

typedef struct PF_LayerDef {
  void* reserved0;
  void* reserved1;
  PF_WorldFlags world_flags;
  void* data;  // PF_Pixel or PF_Pixel16 rows
  A_long rowbytes;
  A_long width;
  A_long height;
  PF_UnionableRect extent_hint;
  void* platform_ref;
  A_long reserved_long1;
  void* reserved_long4;
  PF_RationalScale pix_aspect_ratio;
  void* reserved_long2;
  A_long origin_x;
  A_long origin_y;
  A_long reserved_long3;
  A_long dephault;  // layer parameters: PF_LayerDefault_*
} PF_LayerDef;

typedef PF_LayerDef PF_EffectWorld;
