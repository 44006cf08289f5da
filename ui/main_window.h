// The host's main window, the owner of everything the effect opens (the about box, the
// help page, the web site).
#pragma once

#include "platform/sdk/ae_sdk.h"

// The window get_platform_data(PF_PlatData_MAIN_WND) gives, or null when the host has none
// or no such callback.
void* HostMainWindow(PF_InData* in_data);
