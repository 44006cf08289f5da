// The help page beside the module, "Glissel/glissel.html" in the plug-in's folder.
#pragma once

// Opens the help page with the shell's open verb, owned by parent (the host's main window
// or null). A module path shorter than the module's file name opens nothing.
void OpenHelpPage(void* parent);
