// The about box: dialog 7771 run modally from the module's resources. The procedure does
// what AboutBoxStep says for each message; natively there is no dialog to run.
#include "ui/about_box.h"

#include "platform/os/brush.h"
#include "platform/os/shell_open.h"
#include "ui/about_texts.h"
#include "ui/tooltip.h"
#include "ui/web_address.h"

namespace {
void* g_about_brush = nullptr;  // alive from global setup to global setdown
}

void MakeAboutBoxBrush() { g_about_brush = CreateSolidColourBrush(232, 232, 232); }

void DeleteAboutBoxBrush() {
  DeleteSolidColourBrush(g_about_brush);
  g_about_brush = nullptr;
}

void OpenMakerWebSite(void* window) { ShellOpen(window, QUORVEL_WEB_ADDRESS); }

#if defined(_WIN32)
#include <windows.h>
#include <commctrl.h>

#include "platform/os/module_handle.h"

static_assert(kAboutMsgDestroy == WM_DESTROY && kAboutMsgInitDialog == WM_INITDIALOG &&
                  kAboutMsgCommand == WM_COMMAND && kAboutMsgColourDialog == WM_CTLCOLORDLG &&
                  kAboutMsgColourStatic == WM_CTLCOLORSTATIC,
              "message values");
static_assert(kAboutIdOk == IDOK && kAboutIdCancel == IDCANCEL, "button ids");
static_assert(kAboutTextColour == RGB(50, 55, 60), "text colour");

namespace {

void AttachButtonTooltips(HWND dialog) {
  AttachTooltip(GetDlgItem(dialog, QUORVEL_ABOUT_WEB_BUTTON_ID), QUORVEL_ABOUT_WEB_TIP, nullptr);
  AttachTooltip(GetDlgItem(dialog, IDCANCEL), QUORVEL_ABOUT_CLOSE_TIP, nullptr);
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  const AboutStep step = AboutBoxStep(message, wparam, g_about_brush);
  switch (step.action) {
    case AboutAction::kAttachTooltips:
      AttachButtonTooltips(dialog);
      break;
    case AboutAction::kColourStatic: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, kAboutTextColour);
      SetBkMode(dc, TRANSPARENT);
      break;
    }
    case AboutAction::kEnd:
      EndDialog(dialog, step.end_code);
      break;
    case AboutAction::kOpenWebSite:
      OpenMakerWebSite(dialog);
      break;
    case AboutAction::kNone:
      break;
  }
  return step.result;
}

}  // namespace

long ShowAboutBox(void* parent) {
  // The tooltip class lives in the common controls; make sure it is registered.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  const INT_PTR result =
      DialogBoxParamA(static_cast<HINSTANCE>(ModuleHandle()),
                      MAKEINTRESOURCEA(QUORVEL_ABOUT_DIALOG_ID), static_cast<HWND>(parent),
                      AboutDialogProc, 0);
  return static_cast<long>(result);
}

#else

long ShowAboutBox(void* parent) {
  (void)parent;
  return -1;  // no dialogs natively
}

#endif
