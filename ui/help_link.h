// The help page beside the module, "Glissel/glissel.html" in the plug-in's folder.
#pragma once

// The page's path relative to the plug-in folder (forward slash, as the shell accepts it).
constexpr char kHelpPagePath[] = "Glissel/glissel.html";

// Opens the help page with the shell's open verb, owned by parent (the host's main window
// or null). Nothing opens when the module's own path is unknown.
void OpenHelpPage(void* parent);

// The same for a module at module_path: its folder (cut at the last separator, whatever
// the module file is called) followed by kHelpPagePath. Opens nothing when the path is
// null or empty, or the page's path would not fit the path buffer.
void OpenHelpPageBeside(void* parent, const char* module_path);
