// The about box on a (virtual) screen. The real module shows it to the host's about
// command; the dialog procedure linked in here with the module's resources shows the
// button results, with a recorder in place of the shell.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

#include "host/dialog_watch.h"
#include "host/image.h"
#include "host/module.h"
#include "host/session.h"
#include "platform/os/shell_open.h"
#include "ui/about_box.h"
#include "ui/about_texts.h"
#include "ui/tooltip.h"
#include "ui/web_address.h"

namespace {

const std::string kScreenshot = std::string(QUORVEL_SCREENSHOT_DIR) + "\\about.png";

const qvhost::DialogTooltip* TooltipOf(const qvhost::DialogSight& sight, int control_id) {
  for (const qvhost::DialogTooltip& tip : sight.tooltips)
    if (tip.control_id == control_id) return &tip;
  return nullptr;
}

// One tooltip per button: a single tool over the button's client area, its text wrapped
// at 100 pixels, the window made for the button (and so owned by the box).
void ExpectTooltip(const qvhost::DialogSight& sight, int control_id, const char* text) {
  SCOPED_TRACE(control_id);
  const qvhost::DialogTooltip* tip = TooltipOf(sight, control_id);
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(tip->text, text);
  EXPECT_EQ(tip->tool_count, 1);
  EXPECT_EQ(tip->tool_flags, kTooltipToolFlags);
  EXPECT_TRUE(tip->owned_by_dialog);
  EXPECT_TRUE(tip->tool_rect_is_client);
  EXPECT_EQ(tip->max_width, kTooltipMaxWidth);
  // The control keeps the balloon and no-prefix styles; it manages the border bits itself.
  EXPECT_EQ(tip->style & (WS_POPUP | TTS_BALLOON | TTS_NOPREFIX),
            static_cast<uint32_t>(WS_POPUP | TTS_BALLOON | TTS_NOPREFIX));
  EXPECT_EQ(tip->ex_style & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
            static_cast<uint32_t>(WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
}

// The host's about command on the real module: the box opens with its texts, picture,
// tooltips and colours, is captured to build/windows/screenshots/about.png and closed.
TEST(AboutBoxFromTheModule, ShowsTheBoxTheHostCanSee) {
  auto module = qvhost::Module::Load(std::string(QUORVEL_TEST_PLUGIN_DIR) + "\\Quorvel64.AEX");
  qvhost::Session session(module);
  ASSERT_EQ(session.GlobalSetup(), PF_Err_NONE);
  DeleteFileA(kScreenshot.c_str());

  qvhost::DialogWatchOptions options;
  options.screenshot = kScreenshot;
  PF_Err err = -1;
  const qvhost::DialogSight sight = qvhost::WatchDialog([&] { err = session.About(); }, options);
  EXPECT_EQ(err, PF_Err_NONE);
  EXPECT_EQ(session.platform_data_calls(), 1);
  EXPECT_EQ(session.GlobalSetdown(), PF_Err_NONE);

  ASSERT_TRUE(sight.shown);
  EXPECT_EQ(sight.title, QUORVEL_ABOUT_TITLE);
  EXPECT_EQ(sight.static_texts,
            (std::vector<std::string>{QUORVEL_ABOUT_PRODUCT_LINE, QUORVEL_ABOUT_SECOND_LINE}));
  EXPECT_EQ(sight.button_texts, (std::vector<std::string>{QUORVEL_WEB_CAPTION, "Close"}));
  EXPECT_EQ(sight.picture_width, 424);
  EXPECT_EQ(sight.picture_height, 329);

  EXPECT_EQ(sight.tooltips.size(), 2u);
  ExpectTooltip(sight, QUORVEL_ABOUT_WEB_BUTTON_ID, QUORVEL_ABOUT_WEB_TIP);
  ExpectTooltip(sight, IDCANCEL, QUORVEL_ABOUT_CLOSE_TIP);

  // Static text: dark grey on a transparent background, over the light grey brush.
  EXPECT_TRUE(sight.static_colours.answered);
  EXPECT_EQ(sight.static_colours.text_colour, RGB(50, 55, 60));
  EXPECT_EQ(sight.static_colours.background_mode, TRANSPARENT);
  EXPECT_TRUE(sight.static_colours.solid_brush);
  EXPECT_EQ(sight.static_colours.brush_colour, RGB(232, 232, 232));

  ASSERT_TRUE(sight.screenshot_written) << sight.error;
  qvhost::Image shot;
  std::string error;
  ASSERT_TRUE(qvhost::ReadPng(kScreenshot, shot, error)) << error;
  EXPECT_GE(shot.width, 424);
  EXPECT_GE(shot.height, 329);
  // A real picture shows many colours; the box around it is the light grey of the brush.
  std::set<uint32_t> colours;
  int grey = 0;
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) {
      const uint16_t* p = shot.pixel(x, y);
      colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
      grey += p[0] == 232 && p[1] == 232 && p[2] == 232;
    }
  EXPECT_GT(colours.size(), 500u);
  EXPECT_GT(grey, shot.width * 20);

  // The texts lie on the grey itself: no lighter box behind them, and dark letters.
  ASSERT_EQ(sight.static_boxes.size(), 2u);
  for (const auto& box : sight.static_boxes) {
    int light = 0, dark = 0, background = 0;
    for (int y = box.y; y < box.y + box.height && y < shot.height; ++y)
      for (int x = box.x; x < box.x + box.width && x < shot.width; ++x) {
        const uint16_t* p = shot.pixel(x, y);
        light += p[0] > 240 && p[1] > 240 && p[2] > 240;
        dark += p[0] < 120 && p[1] < 120 && p[2] < 120;
        background += p[0] == 232 && p[1] == 232 && p[2] == 232;
      }
    EXPECT_EQ(light, 0);
    EXPECT_GT(dark, 50);
    EXPECT_GT(background, box.width * box.height / 2);
  }
}

struct Opened {
  void* parent;
  std::string target;
};
std::vector<Opened> g_opened;
void Record(void* parent, const char* target) { g_opened.push_back({parent, target}); }

// Escape ends the box with IDCANCEL's id.
TEST(AboutBoxProcedure, EscapeEndsTheBoxWithTwo) {
  long result = 0;
  const qvhost::DialogSight sight =
      qvhost::WatchDialog([&] { result = ShowAboutBox(nullptr); }, {});
  ASSERT_TRUE(sight.shown);
  EXPECT_EQ(result, 2);
}

// The web button opens the maker's address through the shell, owned by the box, and the
// box stays open until Escape.
TEST(AboutBoxProcedure, WebButtonOpensTheSiteAndKeepsTheBoxOpen) {
  g_opened.clear();
  SetShellOpenRecorder(Record);
  qvhost::DialogWatchOptions options;
  options.web_button_id = QUORVEL_ABOUT_WEB_BUTTON_ID;
  long result = 0;
  const qvhost::DialogSight sight =
      qvhost::WatchDialog([&] { result = ShowAboutBox(nullptr); }, options);
  SetShellOpenRecorder(nullptr);
  ASSERT_TRUE(sight.shown);
  EXPECT_TRUE(sight.open_after_web_button);
  ASSERT_EQ(g_opened.size(), 1u);
  EXPECT_EQ(g_opened[0].target, QUORVEL_WEB_ADDRESS);
  EXPECT_EQ(reinterpret_cast<intptr_t>(g_opened[0].parent), sight.window);
  EXPECT_EQ(result, 2);
}

// A missing control or text makes no tooltip; a title is shown with the info icon.
TEST(Tooltip, MadeOnlyForAControlAndAText) {
  HWND control = CreateWindowExA(0, "BUTTON", "probe", WS_POPUP, 0, 0, 80, 20, nullptr, nullptr,
                                 nullptr, nullptr);
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(AttachTooltip(nullptr, "text", nullptr), nullptr);
  EXPECT_EQ(AttachTooltip(control, nullptr, nullptr), nullptr);

  HWND tip = static_cast<HWND>(AttachTooltip(control, "A tip that wraps", "Title"));
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(GetWindow(tip, GW_OWNER), control);
  EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0), kTooltipMaxWidth);
  char text[256] = {};
  TOOLINFOA tool = {};
  tool.cbSize = sizeof tool;
  tool.lpszText = text;
  ASSERT_TRUE(SendMessageA(tip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_STREQ(text, "A tip that wraps");
  EXPECT_EQ(tool.hwnd, control);
  EXPECT_EQ(tool.uFlags, kTooltipToolFlags);
  DestroyWindow(tip);
  DestroyWindow(control);
}

}  // namespace
