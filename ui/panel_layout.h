// The information panel's layout: the banner and the three buttons, the bitmaps they are
// drawn with, where they are drawn and where the pointer hits them. Every position is
// relative to the panel's origin, the top-left corner of the control's frame.
#pragma once

#include "platform/sdk/ae_sdk.h"

// The control the host reserves for the panel ("Information", parameter 1).
constexpr int kPanelParamIndex = 1;
constexpr int kPanelWidth = 416;
constexpr int kPanelHeight = 148;

// The buttons, in the order a click tests them.
enum PanelButton { kPanelHelp = 0, kPanelAbout = 1, kPanelWeb = 2, kPanelButtonCount = 3 };

// One picture of the panel: its bitmaps (normal and under the pointer; the banner has one),
// its size in pixels and where its top-left corner lies.
struct PanelPicture {
  int normal_id;
  int lit_id;
  int width;
  int height;
  int dx;
  int dy;
};

// A hit rectangle, inclusive at both ends.
struct PanelHitRect {
  int left;
  int top;
  int right;
  int bottom;
};

// The banner, drawn first, under the buttons.
const PanelPicture& PanelBanner();
// A button's pictures (button from PanelButton).
const PanelPicture& PanelButtonPicture(int button);
// A button's hit rectangle.
const PanelHitRect& PanelButtonHitRect(int button);

// Whether point lies on the button when the panel's origin is (origin_x, origin_y).
bool PanelButtonHit(int button, int origin_x, int origin_y, PF_Point point);
