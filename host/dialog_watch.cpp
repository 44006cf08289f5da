// Watching a modal dialog from a second thread: every look goes through messages sent to
// the dialog's thread, which is pumping them in its modal loop.
#include "host/dialog_watch.h"

#if defined(_WIN32)
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "host/image.h"

namespace qvhost {
namespace {

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

struct ThreadWindows {
  HWND dialog = nullptr;
  std::vector<HWND> tooltips;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<ThreadWindows*>(param);
  const std::string name = ClassOf(window);
  if (name == "#32770" && IsWindowVisible(window)) found->dialog = window;
  if (name == TOOLTIPS_CLASSA) found->tooltips.push_back(window);
  return TRUE;
}

ThreadWindows WindowsOf(DWORD thread) {
  ThreadWindows found;
  EnumThreadWindows(thread, CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

DialogTooltip LookAtTooltip(HWND tip, HWND dialog) {
  DialogTooltip seen;
  seen.owned_by_dialog = GetWindow(tip, GW_OWNER) == dialog;
  seen.style = static_cast<uint32_t>(GetWindowLongA(tip, GWL_STYLE));
  seen.ex_style = static_cast<uint32_t>(GetWindowLongA(tip, GWL_EXSTYLE));
  seen.tool_count = static_cast<int>(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0));
  seen.max_width = static_cast<int>(SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0));
  char text[1024] = {};
  TOOLINFOA tool = {};
  tool.cbSize = sizeof tool;
  tool.lpszText = text;
  if (seen.tool_count > 0 && SendMessageA(tip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool))) {
    seen.tool_flags = tool.uFlags;
    seen.control_id = tool.hwnd ? GetDlgCtrlID(tool.hwnd) : 0;
    RECT client = {};
    if (tool.hwnd) GetClientRect(tool.hwnd, &client);
    seen.tool_rect_is_client = EqualRect(&client, &tool.rect) != 0;
    // The enumeration may leave the text out: ask for it by the tool's identity.
    if (!text[0]) SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    seen.text = text;
  }
  return seen;
}

StaticColours LookAtStaticColours(HWND dialog, HWND text_control) {
  StaticColours seen;
  HDC dc = CreateCompatibleDC(nullptr);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, OPAQUE);
  const LRESULT answer = SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(text_control));
  seen.answered = answer != 0;
  seen.text_colour = GetTextColor(dc);
  seen.background_mode = GetBkMode(dc);
  LOGBRUSH brush = {};
  if (answer && GetObjectA(reinterpret_cast<HGDIOBJ>(answer), sizeof brush, &brush) == sizeof brush) {
    seen.solid_brush = brush.lbStyle == BS_SOLID;
    seen.brush_colour = brush.lbColor;
  }
  DeleteDC(dc);
  return seen;
}

void LookAtControls(HWND dialog, DialogSight& sight) {
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const std::string name = ClassOf(c);
    const LONG style = GetWindowLongA(c, GWL_STYLE);
    if (_stricmp(name.c_str(), "Static") == 0 && (style & SS_TYPEMASK) == SS_BITMAP) {
      HBITMAP bitmap = reinterpret_cast<HBITMAP>(SendMessageA(c, STM_GETIMAGE, IMAGE_BITMAP, 0));
      BITMAP info = {};
      if (bitmap && GetObjectA(bitmap, sizeof info, &info)) {
        sight.picture_width = info.bmWidth;
        sight.picture_height = info.bmHeight;
      }
    } else if (_stricmp(name.c_str(), "Static") == 0) {
      sight.static_texts.push_back(TextOf(c));
      RECT frame = {}, box = {};
      GetWindowRect(dialog, &frame);
      GetWindowRect(c, &box);
      sight.static_boxes.push_back({box.left - frame.left, box.top - frame.top,
                                    box.right - box.left, box.bottom - box.top});
      if (!sight.static_colours.answered) sight.static_colours = LookAtStaticColours(dialog, c);
    } else if (_stricmp(name.c_str(), "Button") == 0 && (style & BS_TYPEMASK) != BS_GROUPBOX) {
      sight.button_texts.push_back(TextOf(c));
    }
  }
}

// Copies the dialog as it is on the screen, frame included, into a PNG file.
bool CaptureWindow(HWND window, const std::string& path, std::string& error) {
  RECT r = {};
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) {
    error = "the dialog has no area";
    return false;
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (dib && bits) {
    HGDIOBJ old = SelectObject(memory, dib);
    ok = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != 0;
    SelectObject(memory, old);
  }
  Image image;
  if (ok) {
    image.width = width;
    image.height = height;
    image.rgba.resize(static_cast<size_t>(width) * height * 4);
    const auto* bgra = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
      image.rgba[i * 4 + 0] = bgra[i * 4 + 2];
      image.rgba[i * 4 + 1] = bgra[i * 4 + 1];
      image.rgba[i * 4 + 2] = bgra[i * 4 + 0];
      image.rgba[i * 4 + 3] = 255;
    }
  } else {
    error = "the screen could not be copied";
  }
  if (dib) DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok && WritePng(path, image, error);
}

void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Ends the dialog as the Escape key does: the dialog manager turns the key into IDCANCEL.
// Should the key be lost, the command itself follows.
void CloseAsEscape(HWND dialog) {
  PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(dialog, WM_KEYUP, VK_ESCAPE, 0xC0010001);
  for (int i = 0; i < 100 && IsWindow(dialog); ++i) Wait(20);
  if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

void LookAt(HWND dialog, DWORD thread, const DialogWatchOptions& options, DialogSight& sight) {
  sight.shown = true;
  sight.window = reinterpret_cast<intptr_t>(dialog);
  SendMessageA(dialog, WM_NULL, 0, 0);  // its modal loop runs
  Wait(400);                            // and has painted
  sight.title = TextOf(dialog);
  LookAtControls(dialog, sight);
  for (HWND tip : WindowsOf(thread).tooltips) sight.tooltips.push_back(LookAtTooltip(tip, dialog));
  if (!options.screenshot.empty())
    sight.screenshot_written = CaptureWindow(dialog, options.screenshot, sight.error);
  if (options.web_button_id) {
    HWND button = GetDlgItem(dialog, options.web_button_id);
    if (button) SendMessageA(button, BM_CLICK, 0, 0);
    Wait(200);
    sight.open_after_web_button = IsWindow(dialog) && IsWindowVisible(dialog);
  }
}

}  // namespace

DialogSight WatchDialog(const std::function<void()>& command, const DialogWatchOptions& options) {
  DialogSight sight;
  std::atomic<bool> done{false};
  const DWORD thread = GetCurrentThreadId();
  std::thread watcher([&] {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeout_ms);
    while (!done && std::chrono::steady_clock::now() < deadline) {
      HWND dialog = WindowsOf(thread).dialog;
      if (dialog) {
        LookAt(dialog, thread, options, sight);
        CloseAsEscape(dialog);
        return;
      }
      Wait(20);
    }
  });
  command();
  done = true;
  watcher.join();
  return sight;
}

}  // namespace qvhost

#else

namespace qvhost {

DialogSight WatchDialog(const std::function<void()>& command, const DialogWatchOptions&) {
  command();
  return DialogSight{};
}

}  // namespace qvhost

#endif
