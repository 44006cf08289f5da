// The about box: a modal dialog from the module's resources, and its message table.
#pragma once

#include <stdint.h>

// The box's background brush, made at global setup and deleted at global setdown. A brush
// that cannot be made is not reported: the box then hands the system a null brush.
void MakeAboutBoxBrush();
void DeleteAboutBoxBrush();

// Runs the about box modally with parent as its owner window; returns the dialog's result
// (the id of the button that ended it), or -1 when the box cannot be created.
long ShowAboutBox(void* parent);

// The messages the dialog procedure answers (their Windows values).
constexpr unsigned kAboutMsgDestroy = 0x0002;        // WM_DESTROY
constexpr unsigned kAboutMsgInitDialog = 0x0110;     // WM_INITDIALOG
constexpr unsigned kAboutMsgCommand = 0x0111;        // WM_COMMAND
constexpr unsigned kAboutMsgColourDialog = 0x0136;   // WM_CTLCOLORDLG
constexpr unsigned kAboutMsgColourStatic = 0x0138;   // WM_CTLCOLORSTATIC
constexpr int kAboutIdOk = 1;                        // IDOK
constexpr int kAboutIdCancel = 2;                    // IDCANCEL

// What the dialog procedure does for one message, and what it returns.
enum class AboutAction {
  kNone,
  kAttachTooltips,  // tooltips on the web and close buttons
  kColourStatic,    // text colour and transparent background on the given device context
  kEnd,             // end the dialog with end_code
  kOpenWebSite,     // the maker's site through the shell; the box stays open
};

struct AboutStep {
  AboutAction action;
  intptr_t result;  // the dialog procedure's return value
  int end_code;     // the dialog's result, for kEnd
};

// The dialog procedure's table: message and its wParam (for WM_COMMAND the control id in
// the low word, the notification code in the high word); brush is the background brush.
AboutStep AboutBoxStep(unsigned message, uintptr_t wparam, void* brush);

// Static text colour: RGB(50, 55, 60) as a COLORREF.
constexpr uint32_t kAboutTextColour = 0x003C3732;

// Opens the maker's web address with the shell's open verb, owned by window.
void OpenMakerWebSite(void* window);
