// Compile-time checks that the host records have the 64-bit host's exact field offsets
// and sizes. A failure here means the module would misread what the host hands over.
#include <stddef.h>

#include "ae_sdk.h"

#define QV_AT(type, field, offset) \
  static_assert(offsetof(type, field) == (offset), #type "." #field " offset")
#define QV_SIZE(type, bytes) static_assert(sizeof(type) == (bytes), #type " size")

static_assert(sizeof(void*) == 8, "the module is 64-bit only");

QV_SIZE(PF_Point, 8);
QV_SIZE(PF_Rect, 16);
QV_SIZE(PF_RationalScale, 8);
QV_SIZE(PF_SpecVersion, 4);
QV_SIZE(PF_Pixel, 4);
QV_AT(PF_Pixel, alpha, 0);
QV_AT(PF_Pixel, blue, 3);

QV_SIZE(PF_InteractCallbacks, 176);
QV_AT(PF_InteractCallbacks, checkout_param, 0);
QV_AT(PF_InteractCallbacks, checkin_param, 8);
QV_AT(PF_InteractCallbacks, add_param, 16);
QV_AT(PF_InteractCallbacks, abort, 24);
QV_AT(PF_InteractCallbacks, progress, 32);
QV_AT(PF_InteractCallbacks, register_ui, 40);
QV_AT(PF_InteractCallbacks, reserved_str, 72);
QV_AT(PF_InteractCallbacks, reserved, 96);

QV_SIZE(PF_ANSICallbacks, 160);
QV_AT(PF_ANSICallbacks, sprintf, 120);
QV_SIZE(PF_UtilCallbacks, 552);
QV_AT(PF_UtilCallbacks, host_new_handle, 160);
QV_AT(PF_UtilCallbacks, host_lock_handle, 168);
QV_AT(PF_UtilCallbacks, host_unlock_handle, 176);
QV_AT(PF_UtilCallbacks, host_dispose_handle, 184);
QV_AT(PF_UtilCallbacks, ansi, 208);
static_assert(offsetof(PF_UtilCallbacks, ansi) + offsetof(PF_ANSICallbacks, sprintf) == 328,
              "ansi.sprintf offset");
QV_AT(PF_UtilCallbacks, colorCB, 368);
QV_AT(PF_UtilCallbacks, get_platform_data, 432);
QV_AT(PF_UtilCallbacks, further_procs, 440);
QV_AT(PF_UtilCallbacks, reserved, 544);

QV_SIZE(PF_SoundWorld, 32);
QV_AT(PF_SoundWorld, num_samples, 16);
QV_AT(PF_SoundWorld, dataP, 24);

QV_SIZE(PF_InData, 408);
QV_AT(PF_InData, inter, 0);
QV_AT(PF_InData, utils, 176);
QV_AT(PF_InData, effect_ref, 184);
QV_AT(PF_InData, quality, 192);
QV_AT(PF_InData, version, 196);
QV_AT(PF_InData, serial_num, 200);
QV_AT(PF_InData, current_time, 224);
QV_AT(PF_InData, local_time_step, 236);
QV_AT(PF_InData, time_scale, 240);
QV_AT(PF_InData, field, 244);
QV_AT(PF_InData, shutter_angle, 248);
QV_AT(PF_InData, width, 252);
QV_AT(PF_InData, height, 256);
QV_AT(PF_InData, extent_hint, 260);
QV_AT(PF_InData, output_origin_x, 276);
QV_AT(PF_InData, output_origin_y, 280);
QV_AT(PF_InData, downsample_x, 284);
QV_AT(PF_InData, downsample_y, 292);
QV_AT(PF_InData, pixel_aspect_ratio, 300);
QV_AT(PF_InData, in_flags, 308);
QV_AT(PF_InData, global_data, 312);
QV_AT(PF_InData, sequence_data, 320);
QV_AT(PF_InData, frame_data, 328);
QV_AT(PF_InData, start_sampL, 336);
QV_AT(PF_InData, dur_sampL, 340);
QV_AT(PF_InData, total_sampL, 344);
QV_AT(PF_InData, src_snd, 352);
QV_AT(PF_InData, pica_basicP, 384);
QV_AT(PF_InData, pre_effect_source_origin_x, 392);
QV_AT(PF_InData, pre_effect_source_origin_y, 396);
QV_AT(PF_InData, shutter_phase, 400);

QV_SIZE(PF_OutData, 408);
QV_AT(PF_OutData, my_version, 0);
QV_AT(PF_OutData, name, 4);
QV_AT(PF_OutData, global_data, 40);
QV_AT(PF_OutData, num_params, 48);
QV_AT(PF_OutData, sequence_data, 56);
QV_AT(PF_OutData, flat_sdata_size, 64);
QV_AT(PF_OutData, frame_data, 72);
QV_AT(PF_OutData, width, 80);
QV_AT(PF_OutData, height, 84);
QV_AT(PF_OutData, origin, 88);
QV_AT(PF_OutData, out_flags, 96);
QV_AT(PF_OutData, return_msg, 100);
QV_AT(PF_OutData, start_sampL, 356);
QV_AT(PF_OutData, dur_sampL, 360);
QV_AT(PF_OutData, dest_snd, 368);
QV_AT(PF_OutData, out_flags2, 400);

QV_SIZE(PF_LayerDef, 120);
QV_AT(PF_LayerDef, world_flags, 16);
QV_AT(PF_LayerDef, data, 24);
QV_AT(PF_LayerDef, rowbytes, 32);
QV_AT(PF_LayerDef, width, 36);
QV_AT(PF_LayerDef, height, 40);
QV_AT(PF_LayerDef, extent_hint, 44);
QV_AT(PF_LayerDef, platform_ref, 64);
QV_AT(PF_LayerDef, reserved_long1, 72);
QV_AT(PF_LayerDef, reserved_long4, 80);
QV_AT(PF_LayerDef, pix_aspect_ratio, 88);
QV_AT(PF_LayerDef, reserved_long2, 96);
QV_AT(PF_LayerDef, origin_x, 104);
QV_AT(PF_LayerDef, origin_y, 108);
QV_AT(PF_LayerDef, reserved_long3, 112);
QV_AT(PF_LayerDef, dephault, 116);

QV_SIZE(PF_ParamDef, 176);
QV_AT(PF_ParamDef, uu, 0);
QV_AT(PF_ParamDef, ui_flags, 4);
QV_AT(PF_ParamDef, ui_width, 8);
QV_AT(PF_ParamDef, ui_height, 10);
QV_AT(PF_ParamDef, param_type, 12);
QV_AT(PF_ParamDef, name, 16);
QV_AT(PF_ParamDef, flags, 48);
QV_AT(PF_ParamDef, unused, 52);
QV_AT(PF_ParamDef, u, 56);
QV_SIZE(PF_ParamDefUnion, 120);

QV_AT(PF_SliderDef, value_str, 4);
QV_AT(PF_SliderDef, value_desc, 36);
QV_AT(PF_SliderDef, valid_min, 68);
QV_AT(PF_SliderDef, valid_max, 72);
QV_AT(PF_SliderDef, slider_min, 76);
QV_AT(PF_SliderDef, slider_max, 80);
QV_AT(PF_SliderDef, dephault, 84);
QV_AT(PF_FixedSliderDef, dephault, 84);
QV_AT(PF_FixedSliderDef, precision, 88);
QV_AT(PF_FixedSliderDef, display_flags, 90);
QV_AT(PF_PointDef, reserved, 8);
QV_AT(PF_PointDef, restrict_bounds, 11);
QV_AT(PF_PointDef, x_dephault, 12);
QV_AT(PF_PointDef, y_dephault, 16);
QV_AT(PF_AngleDef, dephault, 4);
QV_AT(PF_AngleDef, valid_min, 8);
QV_AT(PF_AngleDef, valid_max, 12);
QV_AT(PF_CheckBoxDef, dephault, 4);
QV_AT(PF_CheckBoxDef, reserved, 5);
QV_AT(PF_CheckBoxDef, reserved1, 6);
QV_AT(PF_CheckBoxDef, u, 8);
QV_AT(PF_ColorDef, dephault, 4);
QV_AT(PF_PopupDef, num_choices, 4);
QV_AT(PF_PopupDef, dephault, 6);
QV_AT(PF_PopupDef, u, 8);

QV_SIZE(PF_EventExtra, 208);
QV_AT(PF_EventExtra, contextH, 0);
QV_AT(PF_EventExtra, e_type, 8);
QV_AT(PF_EventExtra, u, 16);
QV_AT(PF_EventExtra, effect_win, 80);
QV_AT(PF_EventExtra, cbs, 128);
QV_AT(PF_EventExtra, evt_in_flags, 200);
QV_AT(PF_EventExtra, evt_out_flags, 204);
QV_SIZE(PF_EventUnion, 64);
QV_AT(PF_DoClickEventInfo, screen_point, 4);
QV_AT(PF_DoClickEventInfo, num_clicks, 12);
QV_AT(PF_DoClickEventInfo, modifiers, 16);
QV_AT(PF_DoClickEventInfo, continue_refcon, 24);
QV_AT(PF_DoClickEventInfo, send_drag, 56);
QV_AT(PF_DoClickEventInfo, last_time, 57);
QV_AT(PF_DrawEventInfo, depth, 16);
QV_AT(PF_AdjustCursorEventInfo, modifiers, 8);
QV_AT(PF_AdjustCursorEventInfo, set_cursor, 12);
QV_SIZE(PF_EffectWindowInfo, 44);
QV_AT(PF_EffectWindowInfo, area, 4);
QV_AT(PF_EffectWindowInfo, current_frame, 8);
QV_AT(PF_EffectWindowInfo, param_title_frame, 24);
QV_AT(PF_EffectWindowInfo, horiz_offset, 40);
QV_SIZE(PF_EventCallbacks, 72);
QV_SIZE(PF_Context, 72);
QV_AT(PF_Context, w_type, 4);
QV_AT(PF_Context, reserved, 16);
QV_AT(PF_Context, drawing_ref, 48);
QV_AT(PF_Context, reserved_pointer, 56);
QV_AT(PF_Context, reserved_pointer2, 64);
QV_SIZE(PF_CustomUIInfo, 44);
QV_AT(PF_CustomUIInfo, events, 4);

QV_AT(SPBasicSuite, ReleaseSuite, 8);
QV_AT(DRAWBOT_SupplierSuite1, NewImageFromBuffer, 40);
QV_AT(DRAWBOT_SupplierSuite1, ReleaseObject, 96);
QV_AT(DRAWBOT_SurfaceSuite1, DrawImage, 80);
QV_AT(PFAppSuite6, PF_InvalidateRect, 64);
