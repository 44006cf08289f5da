// The about box's message table as a pure function: what the dialog procedure does for
// each message and what it returns, apart from any window.
#include "ui/about_box.h"
#include "ui/about_texts.h"

AboutStep AboutBoxStep(unsigned message, uintptr_t wparam, void* brush) {
  const intptr_t brush_result = reinterpret_cast<intptr_t>(brush);
  switch (message) {
    case kAboutMsgInitDialog:
      return {AboutAction::kAttachTooltips, 1, 0};
    case kAboutMsgColourDialog:
      return {AboutAction::kNone, brush_result, 0};
    case kAboutMsgColourStatic:
      return {AboutAction::kColourStatic, brush_result, 0};
    case kAboutMsgCommand: {
      const int id = static_cast<int>(wparam & 0xFFFF);
      const unsigned code = static_cast<unsigned>((wparam >> 16) & 0xFFFF);
      if (id == kAboutIdOk || id == kAboutIdCancel) {
        if (code == 0) return {AboutAction::kEnd, 0, id};  // BN_CLICKED
        return {AboutAction::kNone, 1, 0};
      }
      if (id == QUORVEL_ABOUT_WEB_BUTTON_ID) return {AboutAction::kOpenWebSite, 1, 0};
      return {AboutAction::kNone, 1, 0};
    }
    case kAboutMsgDestroy:
      return {AboutAction::kNone, 1, 0};
    default:
      return {AboutAction::kNone, 0, 0};
  }
}
