// Balloon tooltips: a "tooltips_class32" window per control with one tool covering it.
// Natively there are no windows, and no tooltip is made.
#include "ui/tooltip.h"

#if defined(_WIN32)
#include <windows.h>
#include <commctrl.h>

#include "platform/os/module_handle.h"

static_assert(WS_POPUP == 0x80000000 && WS_CAPTION == 0x00C00000 && TTS_BALLOON == 0x40 &&
                  TTS_NOPREFIX == 0x02,
              "tooltip style bits");
static_assert((WS_EX_TOOLWINDOW | WS_EX_TOPMOST) == kTooltipExStyle, "tooltip ex style");
static_assert((TTF_SUBCLASS | TTF_TRANSPARENT | TTF_CENTERTIP) == kTooltipToolFlags,
              "tool flags");
// The tool record the tooltip window expects from a 64-bit caller.
static_assert(sizeof(TOOLINFOA) == 72, "TOOLINFOA size");

void* AttachTooltip(void* control, const char* text, const char* title) {
  HWND owner = static_cast<HWND>(control);
  if (!owner || !text) return nullptr;
  HWND tip = CreateWindowExA(kTooltipExStyle, TOOLTIPS_CLASSA, nullptr, kTooltipStyle,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                             nullptr, static_cast<HINSTANCE>(ModuleHandle()), nullptr);
  if (!tip) return nullptr;
  SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);

  TOOLINFOA tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = kTooltipToolFlags;
  tool.hwnd = owner;
  tool.uId = 0;
  GetClientRect(owner, &tool.rect);
  tool.hinst = nullptr;
  tool.lpszText = const_cast<char*>(text);
  SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  if (title) SendMessageA(tip, TTM_SETTITLEA, TTI_INFO, reinterpret_cast<LPARAM>(title));
  SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, kTooltipMaxWidth);
  return tip;
}

#else

void* AttachTooltip(void* control, const char* text, const char* title) {
  (void)control;
  (void)text;
  (void)title;
  return nullptr;
}

#endif
