// The effect's parameters (filled in with the parameter table).
#include "shell/shell.h"

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data) { return PF_Err_NONE; }
