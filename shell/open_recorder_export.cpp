// The module's export for hosts without a desktop: they see what a click on the panel
// would open instead of a browser or a modal dialog opening.
#include "platform/export.h"
#include "ui/open_recorder.h"

QV_API void QuorvelRecordOpens(QuorvelOpenRecorder recorder) { RecordOpens(recorder); }
