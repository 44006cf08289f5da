// The open recorder: one host function fed by the shell-open seam and the about box.
#include "ui/open_recorder.h"

#include "platform/os/shell_open.h"
#include "ui/about_box.h"

namespace {

QuorvelOpenRecorder g_recorder = nullptr;

void RecordShellOpen(void* parent, const char* target) {
  if (g_recorder) g_recorder("open", parent, target);
}

}  // namespace

void RecordOpens(QuorvelOpenRecorder recorder) {
  g_recorder = recorder;
  SetShellOpenRecorder(recorder ? RecordShellOpen : nullptr);
}

void RunAboutBox(void* parent) {
  if (g_recorder) {
    g_recorder("about", parent, "");
    return;
  }
  ShowAboutBox(parent);
}
