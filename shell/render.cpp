// The render command: turns the current parameter values into one scene (the generated
// ball and the sequence's pendant), has the engine draw it over the input layer into the
// output world, and releases everything it made, on every path.
#include <math.h>
#include <string.h>

#include "engine/engine.h"
#include "model/ball.h"
#include "model/pixel_convert.h"
#include "model/transforms.h"
#include "platform/exact_math.h"
#include "platform/os/page_alloc.h"
#include "shell/param_index.h"
#include "shell/sequence_model.h"
#include "shell/shell.h"

namespace {

// Degrees to radians as the effect has always converted them: single precision, with
// 3.141592 rather than pi to full precision.
constexpr float kDegree = 3.141592f / 180.0f;

// The opposite light's fixed elevation, -25 degrees.
constexpr double kOppositeElevation = -0.4363323129985824;
constexpr double kPi = 3.141592653589793;

// A quarter turn (pi/2 in single precision) that stands the ball's lengthened pole on +y.
constexpr float kQuarterTurn = 1.5707963705062866f;

// The five texture layers, in the order they are checked out and the order they are
// checked back in.
constexpr int kLayerCount = 5;
constexpr int kCheckoutOrder[kLayerCount] = {kParamTextureLayer, kParamBumpLayer,
                                             kParamOpacityLayer, kParamReflectionLayer,
                                             kParamPendantReflectionLayer};
constexpr int kCheckinOrder[kLayerCount] = {kParamTextureLayer, kParamOpacityLayer,
                                            kParamBumpLayer, kParamReflectionLayer,
                                            kParamPendantReflectionLayer};

// Texture slots: four per material, in the order colour, opacity, bump, reflection.
enum { kSlotTexture = 0, kSlotOpacity = 1, kSlotBump = 2, kSlotReflection = 3 };

double FixedValue(const PF_ParamDef* p) { return p->u.fd.value / 65536.0; }
float AngleRadians(const PF_ParamDef* p) {
  return static_cast<float>(p->u.ad.value / 65536.0) * kDegree;
}
bool Checked(const PF_ParamDef* p) { return p->u.bd.value != 0; }

// The engine's draw mode for the "Rendering mode" popup value.
unsigned char DrawModeFor(A_long popup) {
  static const unsigned char kModes[] = {0, 1, 2, 3, 6, 8, 9};  // "Rough" .. "Bezier"
  return popup >= 1 && popup <= 7 ? kModes[popup - 1] : 6;
}

// One texture layer's check-out.
struct Layer {
  PF_ParamDef def;
  bool checked_out;  // the host accepted the check-out: it is owed a check-in
  bool present;  // and the layer has pixels
};

// Everything one render allocates or holds, so that every path releases all of it.
struct RenderState {
  Layer layers[kLayerCount];  // in checkout order
  unsigned char* frame = nullptr;
  unsigned char* background = nullptr;
  unsigned char* padded_input = nullptr;  // only when the input layer is smaller than the output
  unsigned char* texture_pixels[8] = {};
  __Point3ds* scene_vertices = nullptr;
  __Triangle3ds* scene_triangles = nullptr;
  PF_Handle sequence = nullptr;
};

// The check-out of a layer parameter.
int LayerSlot(int param) {
  int i = 0;
  while (i + 1 < kLayerCount && kCheckoutOrder[i] != param) ++i;
  return i;
}
const Layer& LayerFor(const RenderState& s, int param) { return s.layers[LayerSlot(param)]; }

// Step 2: the light of "Light", and the opposite light below the horizon on the far side.
int BuildLights(PF_ParamDef* params[], light3ds lights[2]) {
  const float multiplier = static_cast<float>(FixedValue(params[kParamLightMultiply]) / 100.0);
  const PF_Pixel colour = params[kParamLightColour]->u.cd.value;
  const float uv = AngleRadians(params[kParamRotateUV]);
  const float wv =
      static_cast<float>(FixedValue(params[kParamRotateWV]) * 3.141592 / 180.0);
  memset(lights, 0, 2 * sizeof(light3ds));
  for (int i = 0; i < 2; ++i) {
    lights[i].colour[0] = colour.red / 255.0f;
    lights[i].colour[1] = colour.green / 255.0f;
    lights[i].colour[2] = colour.blue / 255.0f;
    lights[i].multiplier = multiplier;
  }
  strcpy(lights[0].name, "LightOne");
  const float r = exact_math::ExactCosf(wv) * 2000.0f;
  lights[0].position[0] = r * exact_math::ExactCosf(uv);
  lights[0].position[1] = r * exact_math::ExactSinf(uv);
  lights[0].position[2] = exact_math::ExactSinf(wv) * 2000.0f;
  if (!Checked(params[kParamOppositeLight])) return 1;
  strcpy(lights[1].name, "Light#2");
  const double r2 = exact_math::ExactCos(kOppositeElevation) * 2000.0;
  lights[1].position[0] = static_cast<float>(r2 * exact_math::ExactCos(uv + kPi));
  lights[1].position[1] = static_cast<float>(r2 * exact_math::ExactSin(uv + kPi));
  lights[1].position[2] = static_cast<float>(exact_math::ExactSin(kOppositeElevation) * 2000.0);
  return 2;
}

// Step 3: a layer counts as present when its check-out worked and it has pixels.
void CheckoutLayers(PF_InData* in_data, RenderState& s) {
  for (int i = 0; i < kLayerCount; ++i) {
    Layer& layer = s.layers[i];
    memset(&layer.def, 0, sizeof layer.def);
    const PF_Err err = in_data->inter.checkout_param(
        in_data->effect_ref, kCheckoutOrder[i], in_data->current_time,
        in_data->local_time_step, in_data->time_scale, &layer.def);
    const PF_LayerDef& world = layer.def.u.ld;
    layer.checked_out = err == PF_Err_NONE;
    layer.present = layer.checked_out && world.data && world.width > 0 && world.height > 0;
  }
}

// Checks the layers back in, in their own order; the last result is the render's. A layer
// whose check-out failed is not handed back: the host gave no record to return, and its
// failure only drops that map.
PF_Err CheckinLayers(PF_InData* in_data, RenderState& s) {
  PF_Err err = PF_Err_NONE;
  for (int param : kCheckinOrder) {
    Layer& layer = s.layers[LayerSlot(param)];
    if (layer.checked_out) err = in_data->inter.checkin_param(in_data->effect_ref, &layer.def);
  }
  return err;
}

// Step 19: releases the buffers, checks the layers in, unlocks the sequence record.
PF_Err Finish(PF_InData* in_data, RenderState& s) {
  EngineGiveBackImage(EngineImage::kFrame, s.frame);
  EngineGiveBackImage(EngineImage::kBackground, s.background);
  EngineKeepBuffers(false);
  PageFree(s.padded_input);
  PageFree(s.scene_vertices);
  PageFree(s.scene_triangles);
  const PF_Err err = CheckinLayers(in_data, s);
  if (s.sequence) in_data->utils->host_unlock_handle(s.sequence);
  for (unsigned char* pixels : s.texture_pixels) EngineFree(pixels);
  return err;
}

// Steps 11 and 12, one map: a present layer becomes a texture image in the map's slot; an
// absent one only clears the map's name. Returns false when the image cannot be allocated.
bool MapFromLayer(const Layer& layer, const char* name, float percent, bool deep, map3ds& map,
                  __Texture& slot, unsigned char*& pixels) {
  const PF_LayerDef& world = layer.def.u.ld;
  const int row = deep ? world.rowbytes / 2 : world.rowbytes;
  // A layer whose rows are shorter than its width (at the render's depth) cannot be read
  // without running past its rows: it counts as no layer.
  if (!layer.present || row / 4 < world.width) {
    map.name[0] = '\0';
    return true;
  }
  strcpy(map.name, name);
  map.percent = percent;
  map.u_scale = map.v_scale = 1.0f;
  map.u_offset = map.v_offset = 0.0f;
  pixels = WorldToTexture(nullptr, static_cast<const unsigned char*>(world.data), world.width,
                          world.height, row);
  if (!pixels) return false;
  slot.present = 1;
  slot.width = world.width;
  slot.height = world.height;
  slot.pixels = pixels;
  slot.deep = deep ? 1 : 0;
  return true;
}

// One material's own values (steps 11 and 12, before the maps).
void FillMaterial(material3ds& m, const char* name, PF_ParamDef* params[], int diffuse,
                  int specular, int shininess, int strength, int self_illumination,
                  int transparency) {
  strcpy(m.name, name);
  const PF_Pixel d = params[diffuse]->u.cd.value;
  const PF_Pixel s = params[specular]->u.cd.value;
  m.diffuse[0] = d.red / 255.0f, m.diffuse[1] = d.green / 255.0f, m.diffuse[2] = d.blue / 255.0f;
  m.specular[0] = s.red / 255.0f, m.specular[1] = s.green / 255.0f, m.specular[2] = s.blue / 255.0f;
  m.shininess = static_cast<float>(FixedValue(params[shininess]) / 10.0);
  m.shininess_strength = static_cast<float>(FixedValue(params[strength]) / 10.0);
  m.transparency = static_cast<float>(-FixedValue(params[transparency]) / 100.0);  // negated
  m.self_illumination = static_cast<float>(FixedValue(params[self_illumination]) / 100.0);
}

void FillGlass(GlassProp& g, PF_ParamDef* params[], int glass, int optical, int refraction,
               int aberration, float refraction_factor) {
  g.glass = Checked(params[glass]) ? 1 : 0;
  g.optical = static_cast<float>(FixedValue(params[optical]) / 10.0);
  g.refraction = static_cast<float>(FixedValue(params[refraction]) / 10.0) * refraction_factor;
  g.aberration = static_cast<float>(FixedValue(params[aberration]));
}

float Percent(PF_ParamDef* params[], int index, double divisor) {
  return static_cast<float>(FixedValue(params[index]) / divisor);
}

// Steps 10 to 12: glass entries, both materials and their maps.
bool FillMaterials(PF_ParamDef* params[], const RenderState& s, bool deep, float ratio,
                   GlassProp glass[2], material3ds mats[2], __Texture textures[8],
                   unsigned char* pixels[8]) {
  FillGlass(glass[0], params, kParamGlass, kParamOpticalCoefficient, kParamRefraction,
            kParamAberration, ratio);
  FillGlass(glass[1], params, kParamPendantGlass, kParamPendantOpticalCoefficient,
            kParamPendantRefraction, kParamPendantAberration, 1.0f);

  FillMaterial(mats[0], "Material#0", params, kParamDiffuse, kParamSpecular, kParamShininess,
               kParamShininessStrength, kParamSelfIllumination, kParamTransparency);
  bool ok =
      MapFromLayer(LayerFor(s, kParamTextureLayer), "Texture",
                   Percent(params, kParamTexturePercent, 100.0), deep, mats[0].texture_map,
                   textures[kSlotTexture], pixels[kSlotTexture]) &&
      MapFromLayer(LayerFor(s, kParamOpacityLayer), "Opacity",
                   Percent(params, kParamOpacityPercent, 100.0), deep, mats[0].opacity_map,
                   textures[kSlotOpacity], pixels[kSlotOpacity]) &&
      MapFromLayer(LayerFor(s, kParamReflectionLayer), "Reflect",
                   Percent(params, kParamReflectionPercent, 100.0), deep,
                   mats[0].reflection_map, textures[kSlotReflection], pixels[kSlotReflection]) &&
      // The bump amount is a thousandth of the parameter, not a hundredth.
      MapFromLayer(LayerFor(s, kParamBumpLayer), "Bump",
                   Percent(params, kParamBumpPercent, 1000.0), deep, mats[0].bump_map,
                   textures[kSlotBump], pixels[kSlotBump]);
  if (!ok) return false;

  FillMaterial(mats[1], "Material#1", params, kParamPendantDiffuse, kParamPendantSpecular,
               kParamPendantShininess, kParamPendantShininessStrength,
               kParamPendantSelfIllumination, kParamPendantTransparency);
  mats[1].texture_map.name[0] = mats[1].opacity_map.name[0] = mats[1].bump_map.name[0] = '\0';
  return MapFromLayer(LayerFor(s, kParamPendantReflectionLayer), "Reflect",
                      Percent(params, kParamPendantReflectionPercent, 100.0), deep,
                      mats[1].reflection_map, textures[4 + kSlotReflection],
                      pixels[4 + kSlotReflection]);
}

// Step 14: the ball after the pendant in one pair of scene arrays. The pendant is scaled
// to the frame and moved beyond the ball's lengthened pole.
bool AssembleScene(const SequenceModel& model, int faces, float radius, int width,
                   RenderState& s, int& vertex_count, int& triangle_count) {
  __Point3ds* ball_vertices = nullptr;
  __Triangle3ds* ball_triangles = nullptr;
  int ball_vc = 0, ball_tc = 0;
  if (!BuildBall(faces, radius, &ball_vertices, &ball_triangles, &ball_vc, &ball_tc))
    return false;
  RotatePointsX(0.0f, 0.0f, kQuarterTurn, ball_vc, ball_vertices);

  const int model_vc = model.vertices && model.vertex_count > 0 ? model.vertex_count : 0;
  const int model_tc = model.triangles && model.triangle_count > 0 ? model.triangle_count : 0;
  vertex_count = model_vc + ball_vc;
  triangle_count = model_tc + ball_tc;
  bool ok = true;
  if (vertex_count > 0 && triangle_count > 0) {
    s.scene_vertices = static_cast<__Point3ds*>(PageAlloc(sizeof(__Point3ds) * vertex_count));
    s.scene_triangles =
        static_cast<__Triangle3ds*>(PageAlloc(sizeof(__Triangle3ds) * triangle_count));
    ok = s.scene_vertices && s.scene_triangles;
  } else {
    vertex_count = triangle_count = 0;  // nothing to draw
  }
  if (ok && triangle_count > 0) {
    if (model_vc > 0) memcpy(s.scene_vertices, model.vertices, sizeof(__Point3ds) * model_vc);
    if (model_tc > 0)
      memcpy(s.scene_triangles, model.triangles, sizeof(__Triangle3ds) * model_tc);
    ScalePoints(width / 800.0f, model_vc, s.scene_vertices);
    TranslatePoints(0.0f, radius + width / 25.0f, 0.0f, model_vc, s.scene_vertices);
    if (ball_vc > 0)
      memcpy(s.scene_vertices + model_vc, ball_vertices, sizeof(__Point3ds) * ball_vc);
    for (int i = 0; i < ball_tc; ++i) {
      __Triangle3ds t = ball_triangles[i];
      t.a += model_vc, t.b += model_vc, t.c += model_vc;
      s.scene_triangles[model_tc + i] = t;
    }
  }
  PageFree(ball_vertices);
  PageFree(ball_triangles);
  return ok;
}

// Step 15: turn, scale and move the whole scene, each only when it changes something.
void PlaceScene(PF_ParamDef* params[], int width, int height, int count, __Point3ds* v) {
  const float rot_x = AngleRadians(params[kParamRotationX]);
  const float rot_y = AngleRadians(params[kParamRotationY]);
  const float rot_z = AngleRadians(params[kParamRotationZ]);
  const float scale = static_cast<float>(FixedValue(params[kParamScale]) / 100.0);
  const float dx = static_cast<float>(params[kParamPosition]->u.td.x_value / 65536.0) - width / 2.0f;
  const float dy = static_cast<float>(params[kParamPosition]->u.td.y_value / 65536.0) - height / 2.0f;
  if (rot_y != 0.0f) RotatePointsY(0.0f, 0.0f, rot_y, count, v);
  if (rot_x != 0.0f) RotatePointsX(0.0f, 0.0f, rot_x, count, v);
  if (rot_z != 0.0f) RotatePointsZ(0.0f, 0.0f, rot_z, count, v);
  if (scale != 1.0f) ScalePoints(scale, count, v);
  if (dx != 0.0f || dy != 0.0f) TranslatePoints(dx, dy, 0.0f, count, v);
}

// True when the render reads the background image apart from the frame: the rough
// outlines invert it, glass refracts it, and a shader installed in place of the default one
// may read it as it likes.
bool ReadsBackground(PF_ParamDef* params[], unsigned char draw_mode) {
  return draw_mode == 0 || Checked(params[kParamGlass]) || Checked(params[kParamPendantGlass]) ||
         !EngineDefaultShaderInstalled();
}

// The input layer as a world that covers the output: itself, or (when the host hands a
// smaller layer) a zero-padded copy, so that no row or pixel is read beyond the layer.
const unsigned char* InputCoveringOutput(const PF_LayerDef& input, int width, int height,
                                         int& row, bool deep, RenderState& s) {
  const int pixel = deep ? 8 : 4;
  const int unit_bytes = deep ? 2 : 1;  // row sizes count 16-bit units when deep
  if (input.data && input.width >= width && input.height >= height && row >= width * 4)
    return static_cast<const unsigned char*>(input.data);
  const size_t padded_row = static_cast<size_t>(width) * pixel;
  s.padded_input = static_cast<unsigned char*>(PageAlloc(padded_row * height));
  if (!s.padded_input) return nullptr;
  if (input.data && input.width > 0 && input.height > 0 && row >= input.width * 4) {
    const int w = input.width < width ? input.width : width;
    const int h = input.height < height ? input.height : height;
    for (int y = 0; y < h; ++y)
      memcpy(s.padded_input + y * padded_row,
             static_cast<const unsigned char*>(input.data) +
                 static_cast<size_t>(y) * row * unit_bytes,
             static_cast<size_t>(w) * pixel);
  }
  row = width * 4;
  return s.padded_input;
}

}  // namespace

PF_Err Render(PF_InData* in_data, PF_OutData* /*out_data*/, PF_ParamDef* params[],
              PF_LayerDef* output) {
  if (!in_data || !params || !output || !output->data || output->width <= 0 ||
      output->height <= 0 || !in_data->inter.checkout_param || !in_data->inter.checkin_param ||
      !in_data->utils || !in_data->utils->host_lock_handle ||
      !in_data->utils->host_unlock_handle)
    return PF_Err_BAD_CALLBACK_PARAM;

  RenderState s{};
  // The engine's working buffers and the frame images are kept from one render to the next
  // (released at sequence and global setdown); Finish turns keeping off again.
  EngineKeepBuffers(true);
  // 1, 2. Parameters and lights.
  const unsigned char draw_mode = DrawModeFor(params[kParamRenderingMode]->u.pd.value);
  const int faces = params[kParamFacesNumber]->u.sd.value;
  const int width = output->width;
  const int height = output->height;
  const float radius = static_cast<float>(FixedValue(params[kParamRadius])) * width / 200.0f;
  light3ds lights[2];
  const int light_count = BuildLights(params, lights);

  // 3, 4. Texture layers; draw mode.
  CheckoutLayers(in_data, s);
  __SetDrawMode(draw_mode);

  // 5. Output and input; the resolution ratio scales the ball's refraction.
  const PF_LayerDef& input = params[kParamInput]->u.ld;
  int out_row = output->rowbytes;
  int in_row = input.rowbytes;
  float ratio = in_data->width > 0 ? static_cast<float>(width) / in_data->width : 1.0f;
  if (ratio == 0.0f) ratio = 1.0f;

  // 6. Quality and depth: row sizes count 16-bit units when deep.
  __SetQuality(in_data->quality == PF_Quality_HI ? 1 : 0);
  const bool deep = (output->world_flags & PF_WorldFlag_DEEP) != 0;
  if (deep) out_row /= 2, in_row /= 2;
  __SetDeep(deep ? 1 : 0);
  const unsigned char* in_pixels = InputCoveringOutput(input, width, height, in_row, deep, s);
  if (!in_pixels || out_row < width * 4) {
    Finish(in_data, s);
    return in_pixels ? PF_Err_BAD_CALLBACK_PARAM : PF_Err_OUT_OF_MEMORY;
  }

  // 7. The output starts as the input, or empty with "Cut alpha". The input's copy is made
  // only where the render ends without writing the frame back (end_early): a frame that is
  // written back covers every pixel the copy would, and is converted from the input itself,
  // so copying first would write each output pixel twice, a whole pass over the frame.
  unsigned char* out_pixels = static_cast<unsigned char*>(output->data);
  const bool cut_alpha = Checked(params[kParamCutAlpha]);
  if (cut_alpha) memset(out_pixels, 0, static_cast<size_t>(height) * output->rowbytes);
  const auto end_early = [&](PF_Err err) {
    if (!cut_alpha) CopyWorld(out_pixels, in_pixels, width, height, out_row, in_row, deep ? 1 : 0);
    const PF_Err finished = Finish(in_data, s);
    return err != PF_Err_NONE ? err : finished;
  };

  // 8. The engine's frame and background images, in buffers kept between renders. The
  // background is only read by glass and the rough outlines; any other render hands the
  // engine its frame in its place and saves a full image.
  const size_t image_bytes = static_cast<size_t>(width) * height * (deep ? 8 : 4);
  s.frame = static_cast<unsigned char*>(EngineTakeImage(EngineImage::kFrame, image_bytes));
  if (s.frame)
    s.frame = cut_alpha ? WorldToFrame(s.frame, out_pixels, width, height, out_row)
                        : WorldToFrame(s.frame, in_pixels, width, height, in_row);
  const bool own_background = ReadsBackground(params, draw_mode);
  if (own_background) {
    s.background =
        static_cast<unsigned char*>(EngineTakeImage(EngineImage::kBackground, image_bytes));
    if (s.background) s.background = WorldToFrame(s.background, in_pixels, width, height, in_row);
  }
  unsigned char* const background = own_background ? s.background : s.frame;

  // 9 to 12. Glass, materials, maps and texture slots (all absent to start with).
  GlassProp glass[2] = {};
  material3ds mats[2] = {};
  __Texture textures[8] = {};
  if (!s.frame || !background ||
      !FillMaterials(params, s, deep, ratio, glass, mats, textures, s.texture_pixels)) {
    return end_early(PF_Err_OUT_OF_MEMORY);  // the output as step 7 leaves it
  }

  // 13. The sequence record with the pendant.
  s.sequence = in_data->sequence_data;
  const SequenceModel* model =
      s.sequence ? static_cast<const SequenceModel*>(in_data->utils->host_lock_handle(s.sequence))
                 : nullptr;
  if (!model) {
    s.sequence = nullptr;  // nothing locked, nothing to unlock
    // Kept buffers go with the sequence's setdown; without a sequence there is none to
    // release them, so this render keeps nothing.
    const PF_Err err = end_early(PF_Err_NONE);
    EngineReleaseBuffers();
    return err;
  }

  // 14, 15. The scene, placed.
  int vertex_count = 0, triangle_count = 0;
  if (!AssembleScene(*model, faces, radius, width, s, vertex_count, triangle_count))
    return end_early(PF_Err_OUT_OF_MEMORY);
  PlaceScene(params, width, height, vertex_count, s.scene_vertices);

  // 16, 17. Engine settings, painter's order, and the scene itself.
  __SetUseMultyRefract(Checked(params[kParamMultyRefract]) ? 1 : 0);
  __SetDubleSide(0);
  // With no triangle (no ball, no pendant) there is nothing to draw and no array to hand
  // the engine: the frame stays as prepared.
  if (triangle_count > 0) {
    if (__GetDrawMode() != 0) __Sort(triangle_count, s.scene_triangles, s.scene_vertices);
    __RasterScene(s.frame, background, width, height, width * 4, vertex_count,
                  triangle_count, s.scene_triangles, s.scene_vertices, width / 2, height / 2, 2,
                  mats, textures, light_count, lights, glass);
    // The engine draws nothing when it cannot get its working buffers; the frame would
    // be wrong, so the host hears of it rather than of success.
    if (EngineOutOfMemory()) return end_early(PF_Err_OUT_OF_MEMORY);
  }

  // 18 to 20. Back into the output world; release; the last check-in's result.
  FrameToWorld(out_pixels, s.frame, width, height, out_row);
  return Finish(in_data, s);
}
