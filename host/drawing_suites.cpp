// The drawing suites of a custom control: each reference the effect receives (drawing
// reference, supplier, surface, image, context) is registered with the canvas it belongs
// to, so that every routine finds its canvas, and a reference the host never handed out is
// refused instead of followed.
#include "host/drawing_suites.h"

#include <cmath>
#include <cstring>
#include <map>

#include "host/session.h"

namespace qvhost {

namespace {

enum class RefKind { kContext, kDraw, kSupplier, kSurface, kImage };

struct Owner {
  ControlCanvas* canvas;
  RefKind kind;
};

std::map<const void*, Owner>& Registry() {
  static std::map<const void*, Owner> registry;
  return registry;
}

// The canvas that handed out `ref` as a reference of `kind`, or null.
ControlCanvas* Find(const void* ref, RefKind kind) {
  auto it = Registry().find(ref);
  return it != Registry().end() && it->second.kind == kind ? it->second.canvas : nullptr;
}

std::string Text(const PF_Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

std::string Number(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
  return text;
}

}  // namespace

struct ControlCanvas::Callbacks {
  static PF_Err GetDrawingReference(PF_ContextH context, DRAWBOT_DrawRef* reference) {
    ControlCanvas* c = context && reference ? Find(*context, RefKind::kContext) : nullptr;
    if (!c) return PF_Err_BAD_CALLBACK_PARAM;
    c->calls_.push_back("PF_GetDrawingReference");
    if (const int refused = c->Failure("PF_GetDrawingReference")) return refused;
    *reference = reinterpret_cast<DRAWBOT_DrawRef>(&c->draw_tag_);
    return PF_Err_NONE;
  }

  static SPErr GetSupplier(DRAWBOT_DrawRef reference, DRAWBOT_SupplierRef* supplier) {
    ControlCanvas* c = supplier ? Find(reference, RefKind::kDraw) : nullptr;
    if (!c) return kSPBadParameterError;
    c->calls_.push_back("GetSupplier");
    if (const int refused = c->Failure("GetSupplier")) return refused;
    *supplier = reinterpret_cast<DRAWBOT_SupplierRef>(&c->supplier_tag_);
    return kSPNoError;
  }

  static SPErr GetSurface(DRAWBOT_DrawRef reference, DRAWBOT_SurfaceRef* surface) {
    ControlCanvas* c = surface ? Find(reference, RefKind::kDraw) : nullptr;
    if (!c) return kSPBadParameterError;
    c->calls_.push_back("GetSurface");
    if (const int refused = c->Failure("GetSurface")) return refused;
    *surface = reinterpret_cast<DRAWBOT_SurfaceRef>(&c->surface_tag_);
    return kSPNoError;
  }

  static SPErr NewImageFromBuffer(DRAWBOT_SupplierRef supplier, int width, int height,
                                  int row_bytes, int layout, const void* data,
                                  DRAWBOT_ImageRef* image) {
    if (image) *image = nullptr;
    ControlCanvas* c = Find(supplier, RefKind::kSupplier);
    if (!c) return kSPBadParameterError;
    c->calls_.push_back("NewImageFromBuffer " + std::to_string(width) + "x" +
                        std::to_string(height) + " row " + std::to_string(row_bytes) +
                        " layout " + std::to_string(layout));
    if (const int refused = c->Failure("NewImageFromBuffer")) return refused;
    const bool packed = layout == kDRAWBOT_PixelLayout_24RGB || layout == kDRAWBOT_PixelLayout_24BGR;
    if (!image || !data || width <= 0 || height <= 0 || !packed || row_bytes < width * 3) {
      c->problems_.push_back("NewImageFromBuffer with a bad image: " + c->calls_.back());
      return kSPBadParameterError;
    }
    auto made = std::make_unique<HostImage>();
    made->width = width;
    made->height = height;
    made->layout = layout;
    made->rows.resize(static_cast<size_t>(width) * 3 * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
      std::memcpy(&made->rows[static_cast<size_t>(y) * width * 3],
                  static_cast<const uint8_t*>(data) + static_cast<size_t>(y) * row_bytes,
                  static_cast<size_t>(width) * 3);
    *image = reinterpret_cast<DRAWBOT_ImageRef>(made.get());
    Registry()[made.get()] = {c, RefKind::kImage};
    c->images_.push_back(std::move(made));
    return kSPNoError;
  }

  static SPErr ReleaseObject(DRAWBOT_ObjectRef object) {
    ControlCanvas* c = Find(object, RefKind::kImage);
    if (!c) return kSPBadParameterError;
    c->calls_.push_back("ReleaseObject");
    Registry().erase(object);
    for (auto it = c->images_.begin(); it != c->images_.end(); ++it)
      if (static_cast<const void*>(it->get()) == static_cast<const void*>(object)) {
        c->images_.erase(it);
        break;
      }
    return kSPNoError;
  }

  static SPErr DrawImage(DRAWBOT_SurfaceRef surface, DRAWBOT_ImageRef image,
                         const DRAWBOT_PointF32* origin, float opacity) {
    ControlCanvas* c = Find(surface, RefKind::kSurface);
    if (!c) return kSPBadParameterError;
    const auto* drawn = Find(image, RefKind::kImage) == c ? reinterpret_cast<const HostImage*>(image)
                                                          : nullptr;
    if (!drawn || !origin) {
      c->problems_.push_back("DrawImage of an unknown image or at no point");
      return kSPBadParameterError;
    }
    c->calls_.push_back("DrawImage " + Number(origin->x) + "," + Number(origin->y) + " " +
                        std::to_string(drawn->width) + "x" + std::to_string(drawn->height) +
                        " " + Number(opacity));
    if (const int refused = c->Failure("DrawImage")) return refused;
    c->drawn_.push_back({origin->x, origin->y, drawn->width, drawn->height, opacity});
    c->Draw(*drawn, origin->x, origin->y, opacity);
    return kSPNoError;
  }

  static PF_Err InvalidateRect(PF_ContextH context, const PF_Rect* rect) {
    ControlCanvas* c = context ? Find(*context, RefKind::kContext) : nullptr;
    if (!c) return PF_Err_BAD_CALLBACK_PARAM;
    c->calls_.push_back("PF_InvalidateRect " + (rect ? Text(*rect) : std::string("whole")));
    c->invalidated_.push_back(rect ? *rect : c->frame_);
    return PF_Err_NONE;
  }

  // Every routine of the suites the effect has no business calling.
  static SPErr Unexpected() {
    for (auto& entry : Registry())
      if (entry.second.kind == RefKind::kContext)
        entry.second.canvas->problems_.push_back("a suite routine the panel never calls");
    return kSPBadParameterError;
  }
};

namespace {

using CB = ControlCanvas::Callbacks;

void* UnexpectedRoutine() { return reinterpret_cast<void*>(&CB::Unexpected); }

template <typename Suite>
Suite FilledWithUnexpected() {
  Suite suite;
  void** slots = reinterpret_cast<void**>(&suite);
  for (size_t i = 0; i < sizeof suite / sizeof(void*); ++i) slots[i] = UnexpectedRoutine();
  return suite;
}

struct Suites {
  PF_EffectCustomUISuite1 custom_ui;
  DRAWBOT_DrawbotSuite1 draw;
  DRAWBOT_SupplierSuite1 supplier;
  DRAWBOT_SurfaceSuite1 surface;
  DRAWBOT_PathSuite1 path;
  PFAppSuite6 app;
};

const Suites& TheSuites() {
  static const Suites suites = [] {
    Suites s;
    s.custom_ui.PF_GetDrawingReference = CB::GetDrawingReference;
    s.draw.GetSupplier = CB::GetSupplier;
    s.draw.GetSurface = CB::GetSurface;
    s.supplier = FilledWithUnexpected<DRAWBOT_SupplierSuite1>();
    s.supplier.NewImageFromBuffer = CB::NewImageFromBuffer;
    s.supplier.ReleaseObject = CB::ReleaseObject;
    s.surface = FilledWithUnexpected<DRAWBOT_SurfaceSuite1>();
    s.surface.DrawImage = CB::DrawImage;
    s.path = FilledWithUnexpected<DRAWBOT_PathSuite1>();
    s.app = FilledWithUnexpected<PFAppSuite6>();
    s.app.PF_InvalidateRect = CB::InvalidateRect;
    return s;
  }();
  return suites;
}

}  // namespace

ControlCanvas::ControlCanvas(int width, int height, int left, int top)
    : frame_{left, top, left + width, top + height} {
  canvas_.width = width;
  canvas_.height = height;
  canvas_.depth = 8;
  canvas_.rgba.resize(static_cast<size_t>(width) * height * 4);
  Clear();
  std::memset(&context_, 0, sizeof context_);
  context_.magic = PF_CONTEXT_MAGIC;
  context_.w_type = PF_Window_EFFECT;
  context_.drawing_ref = &draw_tag_;
  context_pointer_ = &context_;
  Registry()[&context_] = {this, RefKind::kContext};
  Registry()[&draw_tag_] = {this, RefKind::kDraw};
  Registry()[&supplier_tag_] = {this, RefKind::kSupplier};
  Registry()[&surface_tag_] = {this, RefKind::kSurface};
}

ControlCanvas::~ControlCanvas() {
  for (auto it = Registry().begin(); it != Registry().end();)
    it = it->second.canvas == this ? Registry().erase(it) : std::next(it);
}

void ControlCanvas::ProvideTo(Session& session) const {
  const Suites& s = TheSuites();
  const struct {
    const char* name;
    int version;
    const void* suite;
  } all[] = {{kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1, &s.custom_ui},
             {kDRAWBOT_DrawSuite, kDRAWBOT_SuiteVersion1, &s.draw},
             {kDRAWBOT_SupplierSuite, kDRAWBOT_SuiteVersion1, &s.supplier},
             {kDRAWBOT_SurfaceSuite, kDRAWBOT_SuiteVersion1, &s.surface},
             {kDRAWBOT_PathSuite, kDRAWBOT_SuiteVersion1, &s.path},
             {kPFAppSuite, kPFAppSuiteVersion6, &s.app}};
  for (const auto& suite : all) session.ProvideSuite(suite.name, suite.version, suite.suite);
}

PF_EventExtra ControlCanvas::Event(PF_EventType type, A_long index) const {
  PF_EventExtra e;
  std::memset(&e, 0, sizeof e);
  e.contextH = const_cast<PF_Context**>(&context_pointer_);
  e.e_type = type;
  e.effect_win.index = index;
  e.effect_win.area = PF_EA_CONTROL;
  e.effect_win.current_frame = frame_;
  if (type == PF_Event_DRAW) e.u.draw.update_rect = frame_;
  return e;
}

void ControlCanvas::Clear() {
  for (size_t i = 0; i < canvas_.rgba.size(); i += 4) {
    canvas_.rgba[i] = kControlBackground[0];
    canvas_.rgba[i + 1] = kControlBackground[1];
    canvas_.rgba[i + 2] = kControlBackground[2];
    canvas_.rgba[i + 3] = 255;
  }
}

void ControlCanvas::ClearRecords() {
  calls_.clear();
  drawn_.clear();
  invalidated_.clear();
  problems_.clear();
}

void ControlCanvas::Draw(const HostImage& image, float x, float y, float opacity) {
  const int left = static_cast<int>(std::lround(x)) - frame_.left;
  const int top = static_cast<int>(std::lround(y)) - frame_.top;
  const float a = opacity < 0 ? 0 : (opacity > 1 ? 1 : opacity);
  const bool bgr = image.layout == kDRAWBOT_PixelLayout_24BGR;
  for (int row = 0; row < image.height; ++row) {
    const int cy = top + row;
    if (cy < 0 || cy >= canvas_.height) continue;
    for (int col = 0; col < image.width; ++col) {
      const int cx = left + col;
      if (cx < 0 || cx >= canvas_.width) continue;
      const uint8_t* p = &image.rows[(static_cast<size_t>(row) * image.width + col) * 3];
      const uint8_t rgb[3] = {bgr ? p[2] : p[0], p[1], bgr ? p[0] : p[2]};
      uint16_t* out = canvas_.pixel(cx, cy);
      for (int k = 0; k < 3; ++k)
        out[k] = static_cast<uint16_t>(std::lround(a * rgb[k] + (1 - a) * out[k]));
    }
  }
}

}  // namespace qvhost
