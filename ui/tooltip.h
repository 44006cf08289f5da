// Balloon tooltips attached to a control of a dialog.
#pragma once

// Attaches a balloon tooltip with text (and, when title is not null, an info title) to
// control: a tooltip window owned by the control, covering its client area, its text
// wrapped at 100 pixels. Returns the tooltip window, or null when control or text is
// missing or the window cannot be made (the control then simply has no tooltip).
void* AttachTooltip(void* control, const char* text, const char* title);

// The tooltip window's styles and tool flags.
constexpr unsigned long kTooltipStyle = 0x80C00042;  // WS_POPUP | WS_CAPTION | TTS_BALLOON | TTS_NOPREFIX
constexpr unsigned long kTooltipExStyle = 0x00000088;  // WS_EX_TOOLWINDOW | WS_EX_TOPMOST
constexpr unsigned kTooltipToolFlags = 0x112;  // TTF_SUBCLASS | TTF_TRANSPARENT | TTF_CENTERTIP
constexpr int kTooltipMaxWidth = 100;          // pixels, so that the text wraps
