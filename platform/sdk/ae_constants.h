// Numeric values of the host interface: command selectors, events, errors, flags and
// parameter types.
#pragma once

#include "ae_types.h"

enum {
  PF_Cmd_ABOUT = 0,
  PF_Cmd_GLOBAL_SETUP = 1,
  PF_Cmd_UNUSED_0 = 2,
  PF_Cmd_GLOBAL_SETDOWN = 3,
  PF_Cmd_PARAMS_SETUP = 4,
  PF_Cmd_SEQUENCE_SETUP = 5,
  PF_Cmd_SEQUENCE_RESETUP = 6,
  PF_Cmd_SEQUENCE_FLATTEN = 7,
  PF_Cmd_SEQUENCE_SETDOWN = 8,
  PF_Cmd_DO_DIALOG = 9,
  PF_Cmd_FRAME_SETUP = 10,
  PF_Cmd_RENDER = 11,
  PF_Cmd_FRAME_SETDOWN = 12,
  PF_Cmd_USER_CHANGED_PARAM = 13,
  PF_Cmd_UPDATE_PARAMS_UI = 14,
  PF_Cmd_EVENT = 15,
  PF_Cmd_GET_EXTERNAL_DEPENDENCIES = 16,
  PF_Cmd_COMPLETELY_GENERAL = 17,
  PF_Cmd_QUERY_DYNAMIC_FLAGS = 18,
  PF_Cmd_AUDIO_RENDER = 19,
  PF_Cmd_AUDIO_SETUP = 20,
  PF_Cmd_AUDIO_SETDOWN = 21,
  PF_Cmd_ARBITRARY_CALLBACK = 22,
  PF_Cmd_SMART_PRE_RENDER = 23,
  PF_Cmd_SMART_RENDER = 24
};

enum {
  PF_Event_NONE = -1,
  PF_Event_NEW_CONTEXT = 0,
  PF_Event_ACTIVATE = 1,
  PF_Event_DO_CLICK = 2,
  PF_Event_DRAG = 3,
  PF_Event_DRAW = 4,
  PF_Event_DEACTIVATE = 5,
  PF_Event_CLOSE_CONTEXT = 6,
  PF_Event_IDLE = 7,
  PF_Event_ADJUST_CURSOR = 9,
  PF_Event_KEYDOWN = 10,
  PF_Event_MOUSE_EXITED = 11
};

enum {
  PF_Err_NONE = 0,
  PF_Err_OUT_OF_MEMORY = 4,
  PF_Err_INTERNAL_STRUCT_DAMAGED = 512,
  PF_Err_INVALID_INDEX = 513,
  PF_Err_UNRECOGNIZED_PARAM_TYPE = 514,
  PF_Err_INVALID_CALLBACK = 515,
  PF_Err_BAD_CALLBACK_PARAM = 516,
  PF_Interrupt_CANCEL = 517
};

enum { PF_Quality_LO = 0, PF_Quality_HI = 1 };
enum { PF_PlatData_MAIN_WND = 0 };
enum { PF_WorldFlag_DEEP = 1 };
enum { PF_LayerDefault_NONE = 0 };

// The host's value: bit 0 (value 1) is a reserved bit the host ignores.
enum { PF_ParamFlag_CANNOT_TIME_VARY = 2 };
// The control is twirled up (collapsed) in the effect controls.
enum { PF_ParamFlag_COLLAPSE_TWIRLY = 0x20 };

enum { PF_PUI_CONTROL = 2 };
enum { PF_CustomEFlag_COMP = 1, PF_CustomEFlag_LAYER = 2, PF_CustomEFlag_EFFECT = 4 };
enum { PF_EA_CONTROL = 2 };
enum { PF_Window_EFFECT = 2 };
enum { PF_EO_HANDLED_EVENT = 1, PF_EO_UPDATE_NOW = 8 };
enum { PF_EI_DONT_DRAW = 1 };
enum { PF_ChangeFlag_CHANGED_VALUE = 1 };

enum {
  PF_Param_LAYER = 0,
  PF_Param_SLIDER = 1,
  PF_Param_FIX_SLIDER = 2,
  PF_Param_ANGLE = 3,
  PF_Param_CHECKBOX = 4,
  PF_Param_COLOR = 5,
  PF_Param_POINT = 6,
  PF_Param_POPUP = 7,
  PF_Param_CUSTOM = 8,
  PF_Param_NO_DATA = 9,
  PF_Param_FLOAT_SLIDER = 10,
  PF_Param_ARBITRARY_DATA = 11,
  PF_Param_PATH = 12,
  PF_Param_GROUP_START = 13,
  PF_Param_GROUP_END = 14,
  PF_Param_BUTTON = 15
};

enum {
  PF_OutFlag_NON_PARAM_VARY = 0x00000004,
  PF_OutFlag_SEQUENCE_DATA_NEEDS_FLATTENING = 0x00000010,
  PF_OutFlag_USE_OUTPUT_EXTENT = 0x00000040,
  PF_OutFlag_DISPLAY_ERROR_MESSAGE = 0x00000100,
  PF_OutFlag_PIX_INDEPENDENT = 0x00000400,
  PF_OutFlag_CUSTOM_UI = 0x00008000,
  PF_OutFlag_DEEP_COLOR_AWARE = 0x02000000,
  PF_OutFlag_SEND_UPDATE_PARAMS_UI = 0x04000000
};

// Version packing of my_version and of the PiPL's effect version.
#define PF_VERSION(vers, subvers, bugvers, stage, build)                         \
  ((A_u_long)((((vers) & 0x7) << 19) | (((subvers) & 0xF) << 15) |              \
              (((bugvers) & 0xF) << 11) | (((stage) & 0x3) << 9) | ((build) & 0x1FF)))
enum { PF_Stage_DEVELOP = 0, PF_Stage_ALPHA = 1, PF_Stage_BETA = 2, PF_Stage_RELEASE = 3 };
