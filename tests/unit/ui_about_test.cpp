// The about box's message table, the web button and the help link through the shell's
// open seam (a recorder stands in for the shell, so nothing is launched).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/os/shell_open.h"
#include "ui/about_box.h"
#include "ui/about_texts.h"
#include "ui/help_link.h"
#include "ui/web_address.h"

namespace {

struct Opened {
  void* parent;
  std::string target;
};
std::vector<Opened> g_opened;

void Record(void* parent, const char* target) { g_opened.push_back({parent, target}); }

class ShellOpenRecorded : public ::testing::Test {
 protected:
  void SetUp() override {
    g_opened.clear();
    SetShellOpenRecorder(Record);
  }
  void TearDown() override { SetShellOpenRecorder(nullptr); }
};

// WM_COMMAND's wParam: the control id in the low word, the notification in the high word.
uintptr_t Command(int id, unsigned code) {
  return (static_cast<uintptr_t>(code) << 16) | static_cast<uintptr_t>(id & 0xFFFF);
}

int g_brush_token;
void* const kBrush = &g_brush_token;

// The table: initialisation attaches the tooltips and answers 1; both colour messages
// answer the background brush, the static one after colouring the text.
TEST(AboutBoxStep, InitialisationAndColours) {
  AboutStep init = AboutBoxStep(kAboutMsgInitDialog, 0, kBrush);
  EXPECT_EQ(init.action, AboutAction::kAttachTooltips);
  EXPECT_EQ(init.result, 1);

  AboutStep dialog = AboutBoxStep(kAboutMsgColourDialog, 0, kBrush);
  EXPECT_EQ(dialog.action, AboutAction::kNone);
  EXPECT_EQ(dialog.result, reinterpret_cast<intptr_t>(kBrush));

  AboutStep text = AboutBoxStep(kAboutMsgColourStatic, 0x1234, kBrush);
  EXPECT_EQ(text.action, AboutAction::kColourStatic);
  EXPECT_EQ(text.result, reinterpret_cast<intptr_t>(kBrush));

  // A failed brush is handed on as it is: the system then paints its default.
  EXPECT_EQ(AboutBoxStep(kAboutMsgColourStatic, 0, nullptr).result, 0);
  EXPECT_EQ(kAboutTextColour, 0x003C3732u);
}

// IDOK and IDCANCEL end the box with their own id, but only on a click (code 0); the web
// button opens the site whatever the code, and keeps the box open; other controls and
// WM_DESTROY are acknowledged with 1; unknown messages are left to the system with 0.
TEST(AboutBoxStep, CommandsAndTheRest) {
  for (int id : {kAboutIdOk, kAboutIdCancel}) {
    AboutStep click = AboutBoxStep(kAboutMsgCommand, Command(id, 0), kBrush);
    EXPECT_EQ(click.action, AboutAction::kEnd) << id;
    EXPECT_EQ(click.end_code, id);
    EXPECT_EQ(click.result, 0);
    AboutStep focus = AboutBoxStep(kAboutMsgCommand, Command(id, 6), kBrush);
    EXPECT_EQ(focus.action, AboutAction::kNone) << id;
    EXPECT_EQ(focus.result, 1);
  }
  AboutStep web = AboutBoxStep(kAboutMsgCommand, Command(QUORVEL_ABOUT_WEB_BUTTON_ID, 0), kBrush);
  EXPECT_EQ(web.action, AboutAction::kOpenWebSite);
  EXPECT_EQ(web.result, 1);

  AboutStep other = AboutBoxStep(kAboutMsgCommand, Command(-1, 0), kBrush);
  EXPECT_EQ(other.action, AboutAction::kNone);
  EXPECT_EQ(other.result, 1);
  // Upper bits of a 64-bit wParam do not turn another control into IDCANCEL.
  EXPECT_EQ(AboutBoxStep(kAboutMsgCommand, Command(7775, 0), kBrush).action, AboutAction::kNone);

  EXPECT_EQ(AboutBoxStep(kAboutMsgDestroy, 0, kBrush).result, 1);
  for (unsigned message : {0x000Fu /* paint */, 0x0010u /* close */, 0x0135u, 0x0200u}) {
    AboutStep step = AboutBoxStep(message, Command(kAboutIdCancel, 0), kBrush);
    EXPECT_EQ(step.action, AboutAction::kNone) << message;
    EXPECT_EQ(step.result, 0) << message;
  }
}

TEST_F(ShellOpenRecorded, WebButtonOpensTheMakersAddress) {
  int window;
  OpenMakerWebSite(&window);
  ASSERT_EQ(g_opened.size(), 1u);
  EXPECT_EQ(g_opened[0].parent, &window);
  EXPECT_EQ(g_opened[0].target, QUORVEL_WEB_ADDRESS);
  EXPECT_EQ(g_opened[0].target.rfind("https://", 0), 0u);
}

// The help page lies in the module's folder, cut at the last separator of its path, so a
// renamed module finds it as the built-in name does.
TEST_F(ShellOpenRecorded, HelpPageBesideTheModule) {
  int window;
  OpenHelpPageBeside(&window, "C:\\Plugins\\Quorvel64.AEX");
  OpenHelpPageBeside(nullptr, "/opt/fx/Quorvel64.AEX");
  OpenHelpPageBeside(nullptr, "Quorvel64.AEX");  // the current folder
  OpenHelpPageBeside(nullptr, "C:\\Plugins\\Glissel.AEX");  // renamed, shorter
  OpenHelpPageBeside(nullptr, "/opt/fx/Quorvel64-old-copy.AEX");  // renamed, longer
  ASSERT_EQ(g_opened.size(), 5u);
  EXPECT_EQ(g_opened[0].parent, &window);
  EXPECT_EQ(g_opened[0].target, "C:\\Plugins\\Glissel/glissel.html");
  EXPECT_EQ(g_opened[1].target, "/opt/fx/Glissel/glissel.html");
  EXPECT_EQ(g_opened[2].target, "Glissel/glissel.html");
  EXPECT_EQ(g_opened[3].target, "C:\\Plugins\\Glissel/glissel.html");
  EXPECT_EQ(g_opened[4].target, "/opt/fx/Glissel/glissel.html");
}

// No module path, or the page's path would be cut short: nothing opens.
TEST_F(ShellOpenRecorded, HelpPageNotOpenedFromAMissingOrHugePath) {
  OpenHelpPageBeside(nullptr, "");
  OpenHelpPageBeside(nullptr, nullptr);
  OpenHelpPageBeside(nullptr, (std::string(1010, 'f') + "\\Quorvel64.AEX").c_str());
  EXPECT_TRUE(g_opened.empty());
  // The longest folder that still fits the 1024-byte buffer with the page's name.
  const std::string folder(1024 - 1 - (sizeof kHelpPagePath - 1) - 1, 'f');
  OpenHelpPageBeside(nullptr, (folder + "\\Quorvel64.AEX").c_str());
  ASSERT_EQ(g_opened.size(), 1u);
  EXPECT_EQ(g_opened[0].target, folder + "\\" + kHelpPagePath);
}

// This test program stands in for the module: its own folder gives the page.
TEST_F(ShellOpenRecorded, HelpPageOfThisModule) {
  OpenHelpPage(nullptr);
  ASSERT_EQ(g_opened.size(), 1u);
  const std::string& target = g_opened[0].target;
  ASSERT_GT(target.size(), sizeof kHelpPagePath);
  EXPECT_EQ(target.substr(target.size() - (sizeof kHelpPagePath - 1)), kHelpPagePath);
}

// Without a recorder and without a shell (natively) nothing is opened, and an empty
// target never reaches the shell.
TEST_F(ShellOpenRecorded, EmptyTargetsNeverReachTheShell) {
  ShellOpen(nullptr, "");
  ShellOpen(nullptr, nullptr);
  EXPECT_TRUE(g_opened.empty());
}

TEST(AboutTexts, ProductLineNamesTheHostCorrectly) {
  const std::string line = QUORVEL_ABOUT_PRODUCT_LINE;
  EXPECT_NE(line.find("Adobe\xAE After Effects\xAE."), std::string::npos);
  EXPECT_EQ(line.find("Affter"), std::string::npos);
  EXPECT_STREQ(QUORVEL_ABOUT_TITLE, "About Reradero");
}

#if !defined(_WIN32)
TEST_F(ShellOpenRecorded, NoDialogNatively) {
  EXPECT_EQ(ShowAboutBox(nullptr), -1);
  EXPECT_TRUE(g_opened.empty());
}
#endif

}  // namespace
