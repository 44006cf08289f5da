// Sequence data (filled in with the model loader).
#include "shell/shell.h"

PF_Err SequenceSetup(PF_InData* in_data, PF_OutData* out_data) { return PF_Err_NONE; }
PF_Err SequenceResetup(PF_InData* in_data, PF_OutData* out_data) { return PF_Err_NONE; }
PF_Err SequenceRelease(PF_InData* in_data, PF_OutData* out_data) { return PF_Err_NONE; }
