// Drawing one panel bitmap through the host's drawing suites: the drawing reference of the
// event's context, its supplier and surface, an image made from the bitmap's pixels, drawn
// at full opacity. Every suite acquired here is released here, on every path. A suite the
// host lacks is shown to the user by the suite access and ends the drawing quietly; an
// error of the host's drawing routines is returned.
#include <stdint.h>
#include <string.h>

#include "platform/os/bitmap_resource.h"
#include "platform/os/page_alloc.h"
#include "ui/panel_events.h"
#include "ui/suite_access.h"

namespace {

constexpr char kCustomUiMissing[] = "Not able to acquire the PF Effect Custom UI Suite.";

// The drawing reference of the event's context, held only for the call of the custom UI
// suite. Without that suite there is no reference and no error: the suite access has shown
// its message. Returns the error of PF_GetDrawingReference.
PF_Err GetDrawingReference(PF_InData* in_data, PF_OutData* out_data, PF_ContextH context,
                           DRAWBOT_DrawRef* reference) {
  *reference = nullptr;
  const void* found = nullptr;
  if (AcquireHostSuite(in_data, out_data, kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1,
                       kCustomUiMissing, &found) != PF_Err_NONE)
    return PF_Err_NONE;
  const auto* custom_ui = static_cast<const PF_EffectCustomUISuite1*>(found);
  PF_Err err = PF_Err_NONE;
  if (custom_ui->PF_GetDrawingReference) err = custom_ui->PF_GetDrawingReference(context, reference);
  ReleaseHostSuite(in_data, out_data, kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1,
                   nullptr);
  if (err != PF_Err_NONE) *reference = nullptr;
  return err;
}

// Drawbot images take the top row first; the DIB holds the bottom row first.
void FlipRows(unsigned char* pixels, size_t row_bytes, int height) {
  unsigned char swap[1024];
  for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
    unsigned char* a = pixels + row_bytes * static_cast<size_t>(top);
    unsigned char* b = pixels + row_bytes * static_cast<size_t>(bottom);
    for (size_t done = 0; done < row_bytes; done += sizeof swap) {
      size_t n = row_bytes - done < sizeof swap ? row_bytes - done : sizeof swap;
      memcpy(swap, a + done, n);
      memcpy(a + done, b + done, n);
      memcpy(b + done, swap, n);
    }
  }
}

// The bitmap as a Drawbot image on the surface at `at`. A bitmap that cannot be loaded
// draws nothing and is no error.
PF_Err DrawBitmapImage(const DrawbotSuites& suites, DRAWBOT_SupplierRef supplier,
                       DRAWBOT_SurfaceRef surface, int bitmap_id, int width, int height,
                       DRAWBOT_PointF32 at) {
  if (!suites.supplier->NewImageFromBuffer || !suites.supplier->ReleaseObject ||
      !suites.surface->DrawImage)
    return PF_Err_BAD_CALLBACK_PARAM;
  const size_t row_bytes = Dib24RowBytes(width);
  const size_t size = row_bytes * static_cast<size_t>(height > 0 ? height : 0);
  auto* pixels = static_cast<unsigned char*>(size ? PageAlloc(size) : nullptr);
  if (!pixels) return PF_Err_NONE;
  PF_Err err = PF_Err_NONE;
  if (LoadBitmapDib24(bitmap_id, width, height, pixels, size)) {
    FlipRows(pixels, row_bytes, height);
    DRAWBOT_ImageRef image = nullptr;
    err = suites.supplier->NewImageFromBuffer(supplier, width, height, static_cast<int>(row_bytes),
                                              kDRAWBOT_PixelLayout_24BGR, pixels, &image);
    if (err == PF_Err_NONE && image) err = suites.surface->DrawImage(surface, image, &at, 1.0f);
    if (image) suites.supplier->ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(image));
  }
  PageFree(pixels);
  return err;
}

// Supplier and surface of the drawing reference, then the image in the control area.
PF_Err DrawWithReference(const DrawbotSuites& suites, DRAWBOT_DrawRef reference,
                         const PF_EventExtra* extra, int bitmap_id, int width, int height,
                         int dx, int dy) {
  if (!suites.draw->GetSupplier || !suites.draw->GetSurface) return PF_Err_BAD_CALLBACK_PARAM;
  DRAWBOT_SupplierRef supplier = nullptr;
  DRAWBOT_SurfaceRef surface = nullptr;
  PF_Err err = suites.draw->GetSupplier(reference, &supplier);
  if (err == PF_Err_NONE) err = suites.draw->GetSurface(reference, &surface);
  if (err != PF_Err_NONE || extra->effect_win.area != PF_EA_CONTROL) return err;
  const PF_Rect& frame = extra->effect_win.current_frame;
  const DRAWBOT_PointF32 at = {static_cast<float>(frame.left + dx),
                               static_cast<float>(frame.top + dy)};
  return DrawBitmapImage(suites, supplier, surface, bitmap_id, width, height, at);
}

}  // namespace

PF_Err DrawPanelBitmap(PF_InData* in_data, PF_OutData* out_data, PF_EventExtra* extra,
                       int bitmap_id, int width, int height, int dx, int dy) {
  DrawbotSuites suites;
  DRAWBOT_DrawRef reference = nullptr;
  PF_Err err = PF_Err_NONE;
  if (AcquireDrawbotSuites(in_data, out_data, &suites) == PF_Err_NONE)
    err = GetDrawingReference(in_data, out_data, extra->contextH, &reference);
  if (err == PF_Err_NONE && reference) {
    err = DrawWithReference(suites, reference, extra, bitmap_id, width, height, dx, dy);
    extra->evt_out_flags = PF_EO_HANDLED_EVENT;
  }
  ReleaseDrawbotSuites(in_data, out_data, &suites);
  return err;
}
