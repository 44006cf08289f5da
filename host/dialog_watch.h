// Watching a modal dialog the effect shows while the host waits in a command (the about
// box): a second thread finds the dialog on the commanding thread, looks at its texts,
// tooltips and colours, may press its web button, captures it to a PNG file and closes it
// as the Escape key would. Windows only; natively no dialog is ever shown.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qvhost {

// A tooltip window found on the dialog's thread, as the tooltip control reports it.
struct DialogTooltip {
  std::string text;           // of its first tool
  int control_id = 0;         // control id of its first tool's window
  bool owned_by_dialog = false;  // a popup made for a child control is owned by the
                                 // control's top-level window: the dialog
  uint32_t style = 0;         // window style (the control adjusts its border bits)
  uint32_t ex_style = 0;
  int tool_count = 0;
  uint32_t tool_flags = 0;
  bool tool_rect_is_client = false;   // the tool covers its control's client rectangle
  int max_width = 0;                  // TTM_GETMAXTIPWIDTH
};

// How the dialog answered WM_CTLCOLORSTATIC on a fresh device context.
struct StaticColours {
  bool answered = false;      // returned a brush
  uint32_t text_colour = 0;   // COLORREF set on the device context
  int background_mode = 0;    // 1 transparent, 2 opaque
  bool solid_brush = false;
  uint32_t brush_colour = 0;  // COLORREF of the returned brush
};

struct DialogSight {
  bool shown = false;
  intptr_t window = 0;  // the dialog's handle while it was open
  std::string title;
  std::vector<std::string> static_texts;  // in control order, without the picture
  struct Box {
    int x, y, width, height;  // relative to the dialog's top-left corner, frame included
  };
  std::vector<Box> static_boxes;  // where each static text lies
  std::vector<std::string> button_texts;
  int picture_width = 0, picture_height = 0;  // the picture control's bitmap
  std::vector<DialogTooltip> tooltips;
  StaticColours static_colours;
  bool open_after_web_button = false;  // when the web button was pressed
  bool screenshot_written = false;
  std::string error;  // what went wrong while watching (the dialog is still closed)
};

struct DialogWatchOptions {
  std::string screenshot;      // PNG file to write, empty for none
  int web_button_id = 0;       // pressed once when not 0
  int timeout_ms = 15000;      // how long to wait for the dialog
};

// Runs `command` on this thread and watches for a dialog it shows meanwhile. Returns what
// was seen; shown is false when no dialog appeared before the command returned.
DialogSight WatchDialog(const std::function<void()>& command, const DialogWatchOptions& options);

}  // namespace qvhost
