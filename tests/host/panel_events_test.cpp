// The information panel through the built module and the reference host: which events it
// answers, where the pointer hits the buttons, when it asks for a redraw, the "do not
// draw" request, the flags it hands back, the suites it holds, and what a click opens.
#include <string>

#include "panel_fixture.h"

namespace {

using qvhost::kPanelFrameLeft;
using qvhost::kPanelFrameTop;

// Which buttons the canvas shows lit, by comparing each button's area with its bitmaps.
std::string LitButtons(const qvhost::Image& canvas) {
  struct Button {
    const char* name;
    int lit_id, dx, dy;
  };
  const Button buttons[] = {{"help", 783, 239, 15}, {"about", 781, 313, 48}, {"web", 785, 248, 61}};
  std::string lit;
  for (const Button& b : buttons) {
    const Bitmap bitmap = ReadBitmapFile(b.lit_id);
    bool same = bitmap.width > 0;
    for (int y = 0; same && y < bitmap.height; ++y)
      for (int x = 0; same && x < bitmap.width; ++x) {
        const uint16_t* p = canvas.pixel(b.dx + x, b.dy + y);
        const uint8_t* q = &bitmap.rgb[(static_cast<size_t>(y) * bitmap.width + x) * 3];
        same = p[0] == q[0] && p[1] == q[1] && p[2] == q[2];
      }
    if (same) lit += lit.empty() ? b.name : std::string("+") + b.name;
  }
  return lit;
}

// ---- Dispatch: draw and cursor events only for parameter 1; clicks only in the effect
// window; idle and every other event do nothing. All answer 0. ---------------------------

TEST_F(PanelTest, DrawForTheInformationControlDrawsBannerAndThreeButtons) {
  PF_EventExtra e = canvas().Event(PF_Event_DRAW);
  EXPECT_EQ(Send(e), PF_Err_NONE);
  EXPECT_EQ(e.evt_out_flags, PF_EO_HANDLED_EVENT);
  ASSERT_EQ(canvas().drawn().size(), 4u);
  const int sizes[4][2] = {{391, 123}, {73, 44}, {62, 61}, {54, 56}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(canvas().drawn()[i].width, sizes[i][0]) << i;
    EXPECT_EQ(canvas().drawn()[i].height, sizes[i][1]) << i;
    EXPECT_EQ(canvas().drawn()[i].opacity, 1.0f) << i;
  }
  // At the frame's corner plus each picture's offset.
  EXPECT_EQ(canvas().drawn()[0].x, kPanelFrameLeft);
  EXPECT_EQ(canvas().drawn()[1].x, kPanelFrameLeft + 239);
  EXPECT_EQ(canvas().drawn()[1].y, kPanelFrameTop + 15);
  EXPECT_EQ(canvas().drawn()[2].x, kPanelFrameLeft + 313);
  EXPECT_EQ(canvas().drawn()[3].y, kPanelFrameTop + 61);
  // 24-bit BGR rows rounded up to whole 32-bit words: 391 * 3 = 1173 -> 1176.
  EXPECT_EQ(canvas().calls()[3], "NewImageFromBuffer 391x123 row 1176 layout 1");
  EXPECT_EQ(canvas().images_alive(), 0);
  EXPECT_TRUE(canvas().problems().empty());
}

TEST_F(PanelTest, IgnoresDrawAndCursorEventsOfOtherParameters) {
  for (PF_EventType type : {PF_EventType{PF_Event_DRAW}, PF_EventType{PF_Event_ADJUST_CURSOR}}) {
    for (A_long index : {0, 2, 52}) {
      PF_EventExtra e = canvas().Event(type, index);
      e.u.adjust_cursor.screen_point = At(270, 30);
      EXPECT_EQ(Send(e), PF_Err_NONE);
      EXPECT_EQ(e.evt_out_flags, 0) << type << " " << index;
    }
  }
  EXPECT_TRUE(canvas().calls().empty());
  EXPECT_TRUE(session().suite_requests().empty());
}

TEST_F(PanelTest, IgnoresIdleAndUnknownEvents) {
  const PF_EventType types[] = {PF_Event_IDLE,       PF_Event_NEW_CONTEXT,   PF_Event_ACTIVATE,
                               PF_Event_DRAG,       PF_Event_DEACTIVATE,    PF_Event_CLOSE_CONTEXT,
                               PF_Event_KEYDOWN,    PF_Event_MOUSE_EXITED,  8,
                               42,                  -1};
  for (PF_EventType type : types) {
    PF_EventExtra e = canvas().Event(type);
    EXPECT_EQ(Send(e), PF_Err_NONE) << type;
    EXPECT_EQ(e.evt_out_flags, 0) << type;
  }
  EXPECT_TRUE(canvas().calls().empty());
  EXPECT_EQ(session().Send(PF_Cmd_EVENT, nullptr, nullptr), PF_Err_NONE) << "no event record";
}

TEST_F(PanelTest, IgnoresEventsFromTheCompositionAndLayerWindows) {
  for (PF_WindowType window : {PF_WindowType{0}, PF_WindowType{1}, PF_WindowType{3}}) {
    canvas().context().w_type = window;
    PF_EventExtra draw = canvas().Event(PF_Event_DRAW);
    EXPECT_EQ(Send(draw), PF_Err_NONE);
    EXPECT_EQ(draw.evt_out_flags, 0);
    PF_EventExtra cursor = canvas().Event(PF_Event_ADJUST_CURSOR);
    cursor.u.adjust_cursor.screen_point = At(270, 30);
    EXPECT_EQ(Send(cursor), PF_Err_NONE);
    EXPECT_EQ(cursor.evt_out_flags, 0);
    EXPECT_TRUE(job_->Click(At(344, 78)));
  }
  EXPECT_TRUE(canvas().calls().empty());
  EXPECT_TRUE(job_->opens().empty());
}

// ---- Hit rectangles: inclusive, one pixel past each picture to the right and below. ----

TEST_F(PanelTest, PointerLightsTheButtonWhoseRectangleHoldsIt) {
  struct Case {
    int x, y;
    const char* lit;
  };
  const Case cases[] = {
      {312, 59, "help"},  {313, 59, "about"}, {239, 15, "help"},  {238, 15, ""},
      {239, 14, ""},      {312, 60, ""},      {375, 109, "about"}, {376, 109, ""},
      {375, 110, ""},     {313, 47, ""},      {248, 61, "web"},   {247, 61, ""},
      {302, 117, "web"},  {303, 117, ""},     {302, 118, ""},     {0, 0, ""},
  };
  for (const Case& c : cases) {
    Point(c.x, c.y);
    EXPECT_EQ(LitButtons(canvas().canvas()), c.lit) << "pointer at " << c.x << "," << c.y;
  }
}

TEST_F(PanelTest, FarAwayPointsLightNothing) {
  Point(270, 30);
  ASSERT_EQ(LitButtons(canvas().canvas()), "help");
  job_->Hover(PF_Point{-2147483647 - 1, -2147483647 - 1});
  EXPECT_EQ(LitButtons(canvas().canvas()), "");
  job_->Hover(PF_Point{2147483647, 2147483647});
  EXPECT_EQ(LitButtons(canvas().canvas()), "");
}

// ---- Redraws: one per change of the lit button, none while it stays the same. ----------

TEST_F(PanelTest, OneRedrawPerChangeOfTheLitButton) {
  Point(10, 10);  // on the banner: nothing lit, nothing changes
  EXPECT_EQ(canvas().invalidated().size(), 0u);
  Point(240, 16);  // into help
  Point(300, 50);  // within help
  Point(312, 59);
  EXPECT_EQ(canvas().invalidated().size(), 1u);
  Point(313, 59);  // help -> about
  EXPECT_EQ(canvas().invalidated().size(), 2u);
  Point(350, 100);
  EXPECT_EQ(canvas().invalidated().size(), 2u);
  Point(400, 140);  // out of every button
  EXPECT_EQ(canvas().invalidated().size(), 3u);
  Point(5, 140);
  EXPECT_EQ(canvas().invalidated().size(), 3u);
  for (const PF_Rect& r : canvas().invalidated()) {
    EXPECT_EQ(r.left, canvas().frame().left);
    EXPECT_EQ(r.top, canvas().frame().top);
    EXPECT_EQ(r.right, canvas().frame().right);
    EXPECT_EQ(r.bottom, canvas().frame().bottom);
  }
}

TEST_F(PanelTest, HoverChangeSetsOutFlagsAndTheParametersChangeFlag) {
  session().value(1).uu.change_flags = 0;
  EXPECT_EQ(Point(344, 78), PF_EO_HANDLED_EVENT | PF_EO_UPDATE_NOW);
  EXPECT_EQ(session().value(1).uu.change_flags, PF_ChangeFlag_CHANGED_VALUE);
  session().value(1).uu.change_flags = 0;
  EXPECT_EQ(Point(345, 79), 0) << "no change, no flags";
  EXPECT_EQ(session().value(1).uu.change_flags, 0);
  EXPECT_EQ(Point(0, 0), 9);
}

TEST_F(PanelTest, CollapsedControlDoesNotLightUp) {
  session().value(1).flags |= PF_ParamFlag_COLLAPSE_TWIRLY;
  EXPECT_EQ(Point(344, 78), 0);
  EXPECT_TRUE(canvas().invalidated().empty());
  session().value(1).flags &= ~PF_ParamFlag_COLLAPSE_TWIRLY;
  EXPECT_EQ(Point(344, 78), 9);
}

// ---- "Do not draw": the panel stays still until the next normal draw. ------------------

TEST_F(PanelTest, DontDrawSuppressesHoverUntilTheNextNormalDraw) {
  PF_EventExtra quiet = canvas().Event(PF_Event_DRAW);
  quiet.evt_in_flags = PF_EI_DONT_DRAW;
  EXPECT_EQ(Send(quiet), PF_Err_NONE);
  EXPECT_TRUE(canvas().drawn().empty());
  EXPECT_EQ(quiet.evt_out_flags, 0);
  EXPECT_EQ(Point(344, 78), 0);
  EXPECT_EQ(Point(270, 30), 0);
  EXPECT_TRUE(canvas().invalidated().empty());
  ASSERT_EQ(job_->Draw(), PF_Err_NONE);
  EXPECT_EQ(Point(344, 78), 9);
  EXPECT_EQ(LitButtons(canvas().canvas()), "about");
}

TEST_F(PanelTest, DontDrawForAnotherWindowLeavesThePanelAlive) {
  canvas().context().w_type = 0;  // the composition window
  PF_EventExtra quiet = canvas().Event(PF_Event_DRAW);
  quiet.evt_in_flags = PF_EI_DONT_DRAW;
  EXPECT_EQ(Send(quiet), PF_Err_NONE);
  canvas().context().w_type = PF_Window_EFFECT;
  EXPECT_EQ(Point(344, 78), 9) << "the effect window's panel must still light up";
}

// ---- The origin: the frame's corner, whatever part of it the host asks to repaint. ----

TEST_F(PanelTest, PartialUpdateKeepsButtonsOnTheirPictures) {
  PF_EventExtra e = canvas().Event(PF_Event_DRAW);
  e.u.draw.update_rect = PF_Rect{kPanelFrameLeft + 300, kPanelFrameTop + 40, kPanelFrameLeft + 380,
                                 kPanelFrameTop + 120};
  canvas().Clear();
  ASSERT_EQ(Send(e), PF_Err_NONE);
  EXPECT_EQ(Compare(canvas().canvas(), ExpectedPanel(false, false, false)).count, 0);
  Point(240, 16);
  EXPECT_EQ(LitButtons(canvas().canvas()), "help");
}

TEST_F(PanelTest, ScrolledPanelMovesTheHitAreasWithIt) {
  // The host scrolled the effect controls: the control's frame is 30 pixels higher.
  PF_EventExtra e = canvas().Event(PF_Event_DRAW);
  e.effect_win.current_frame.top -= 30;
  e.effect_win.current_frame.bottom -= 30;
  e.u.draw.update_rect = e.effect_win.current_frame;
  ASSERT_EQ(Send(e), PF_Err_NONE);
  ASSERT_EQ(canvas().drawn().size(), 4u);
  EXPECT_EQ(canvas().drawn()[1].y, kPanelFrameTop - 30 + 15);
  PF_EventExtra cursor = canvas().Event(PF_Event_ADJUST_CURSOR);
  cursor.u.adjust_cursor.screen_point = At(240, 55);  // help before the scroll, nothing now
  EXPECT_EQ(Send(cursor), PF_Err_NONE);
  EXPECT_EQ(cursor.evt_out_flags, 0);
  cursor.u.adjust_cursor.screen_point = At(240, 55 - 30);
  EXPECT_EQ(Send(cursor), PF_Err_NONE);
  EXPECT_EQ(cursor.evt_out_flags, 9);
  Point(0, 0);
}

// Outside the control's own area (its title, for one) nothing is painted.
TEST_F(PanelTest, DrawOutsideTheControlAreaPaintsNothing) {
  PF_EventExtra e = canvas().Event(PF_Event_DRAW);
  e.effect_win.area = 1;
  EXPECT_EQ(Send(e), PF_Err_NONE);
  EXPECT_TRUE(canvas().drawn().empty());
  EXPECT_EQ(session().suites_held(), 0);
  EXPECT_TRUE(session().problems().empty());
}

// ---- Suites: each draw and hover gives back exactly what it took. ----------------------

TEST_F(PanelTest, SuitesAreReleasedAfterEveryEvent) {
  job_->Draw();
  EXPECT_EQ(session().suites_held(), 0);
  Point(344, 78);
  EXPECT_EQ(session().suites_held(), 0);
  int acquired = 0;
  for (const auto& r : session().suite_requests()) acquired += r.result == 0;
  EXPECT_GT(acquired, 0);
  EXPECT_TRUE(session().messages().empty());
}

class PanelMissingSuite : public PanelTest, public ::testing::WithParamInterface<const char*> {
 protected:
  bool app() const { return GetParam() == std::string(kPFAppSuite); }
  int version() const { return app() ? kPFAppSuiteVersion6 : 1; }
};

TEST_P(PanelMissingSuite, EndsTheDrawingWithAMessageAndHoldsNothing) {
  session().WithdrawSuite(GetParam(), version());
  PF_EventExtra e = canvas().Event(PF_Event_DRAW);
  EXPECT_EQ(Send(e), PF_Err_NONE);
  if (!app()) {
    EXPECT_TRUE(canvas().drawn().empty());
    EXPECT_EQ(e.evt_out_flags, 0);
    ASSERT_EQ(session().messages().size(), 1u);
    EXPECT_EQ(session().messages()[0], std::string("Not able to acquire the ") + GetParam() + ".");
  } else {
    EXPECT_EQ(canvas().drawn().size(), 4u) << "drawing needs no application suite";
    EXPECT_EQ(Point(344, 78), 9) << "the lit button changed all the same";
    EXPECT_TRUE(canvas().invalidated().empty());
    ASSERT_EQ(session().messages().size(), 1u);
    EXPECT_EQ(session().messages()[0], "Not able to acquire the PF AE App Suite.");
    Point(0, 0);
  }
  EXPECT_EQ(session().suites_held(), 0);
  EXPECT_TRUE(session().problems().empty()) << session().problems()[0];
}

// A host that answers the request but hands out no suite: the module gives it back.
TEST_P(PanelMissingSuite, AnEmptySuiteIsGivenBack) {
  session().ProvideSuite(GetParam(), version(), nullptr);
  PF_EventExtra e = canvas().Event(PF_Event_DRAW);
  EXPECT_EQ(Send(e), PF_Err_NONE);
  if (app()) Point(344, 78), Point(0, 0);
  EXPECT_EQ(session().suites_held(), 0);
  EXPECT_FALSE(session().messages().empty());
}

INSTANTIATE_TEST_SUITE_P(EachSuite, PanelMissingSuite,
                         ::testing::Values(kDRAWBOT_DrawSuite, kDRAWBOT_SupplierSuite,
                                           kDRAWBOT_SurfaceSuite, kDRAWBOT_PathSuite,
                                           kPFEffectCustomUISuite, kPFAppSuite));

// A host whose drawing fails at any step: the draw event answers with the host's error,
// draws nothing more and keeps no image or suite.
TEST_F(PanelTest, DrawingFailuresReachTheHostAsTheirError) {
  const struct {
    const char* routine;
    PF_Err error;
  } kFailures[] = {{"PF_GetDrawingReference", PF_Err_INTERNAL_STRUCT_DAMAGED},
                   {"GetSupplier", PF_Err_OUT_OF_MEMORY},
                   {"GetSurface", PF_Err_BAD_CALLBACK_PARAM},
                   {"NewImageFromBuffer", PF_Err_OUT_OF_MEMORY},
                   {"DrawImage", PF_Err_INTERNAL_STRUCT_DAMAGED}};
  for (const auto& f : kFailures) {
    canvas().FailRoutine(f.routine, f.error);
    canvas().ClearRecords();
    EXPECT_EQ(job_->Draw(), f.error) << f.routine;
    EXPECT_TRUE(canvas().drawn().empty()) << f.routine;
    EXPECT_EQ(canvas().images_alive(), 0) << f.routine;
    EXPECT_EQ(session().suites_held(), 0) << f.routine;
  }
  canvas().FailRoutine("", 0);
  EXPECT_EQ(job_->Draw(), PF_Err_NONE);
  EXPECT_EQ(Compare(canvas().canvas(), ExpectedPanel(false, false, false)).count, 0);
}

// ---- Clicks: the help page, the about box and the web site, owned by the main window. --

TEST_F(PanelTest, ClickOnTheAboutButtonOpensTheAboutBox) {
  ASSERT_TRUE(job_->Click(At(313, 48)));
  ASSERT_EQ(job_->opens().size(), 1u);
  EXPECT_EQ(job_->opens()[0].what, "about");
  EXPECT_EQ(job_->opens()[0].parent, qvhost::PanelMainWindow());
}

TEST_F(PanelTest, ClickOnTheWebButtonOpensTheMakersSite) {
  ASSERT_TRUE(job_->Click(At(302, 117)));
  ASSERT_EQ(job_->opens().size(), 1u);
  EXPECT_EQ(job_->opens()[0].what, "open");
  EXPECT_EQ(job_->opens()[0].target, "https://www.quorvel.example/");
  EXPECT_EQ(job_->opens()[0].parent, qvhost::PanelMainWindow());
}

TEST_F(PanelTest, ClickOnTheHelpButtonOpensTheHelpPageBesideTheModule) {
  const int asked = session().platform_data_calls();
  ASSERT_TRUE(job_->Click(At(312, 59)));
  EXPECT_EQ(session().platform_data_calls(), asked + 1) << "the help page's owner: the main window";
  for (const qvhost::OpenRequest& o : job_->opens()) EXPECT_EQ(o.what, "open") << "not the about box";
  // The help link itself (the page's path beside the module) is the help link's own work;
  // a module built before it opens nothing yet.
  if (job_->opens().empty()) GTEST_SKIP() << "this module's help link opens no page yet";
  ASSERT_EQ(job_->opens().size(), 1u);
  EXPECT_EQ(job_->opens()[0].what, "open");
  const std::string& target = job_->opens()[0].target;
  const std::string page = "Glissel/glissel.html";
  ASSERT_GE(target.size(), page.size());
  EXPECT_EQ(target.substr(target.size() - page.size()), page);
  EXPECT_EQ(target.substr(0, target.size() - page.size()), RecordingPluginPath(""));
}

TEST_F(PanelTest, ClickOutsideTheButtonsOpensNothingAndKeepsTheFlags) {
  for (PF_Point p : {At(238, 15), At(376, 109), At(303, 117), At(312, 60), At(0, 0)}) {
    PF_EventExtra e = canvas().Event(PF_Event_DO_CLICK);
    e.u.do_click.screen_point = p;
    e.evt_out_flags = 0x40;
    EXPECT_EQ(Send(e), PF_Err_NONE);
    EXPECT_EQ(e.evt_out_flags, 0x40);
  }
  EXPECT_TRUE(job_->Click(At(0, 0)));
  EXPECT_TRUE(job_->opens().empty());
}

}  // namespace
