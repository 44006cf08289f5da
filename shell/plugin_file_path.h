// Paths of the files that lie in the plug-in folder beside the module (the pendant model,
// the help page): the module's path with its built-in file name replaced.
#pragma once

#include <stddef.h>

// The module path without as many characters as the module's built-in file name has,
// then `relative`. So C:\Plugins\Quorvel64.AEX and "Glissel/glissel.html" give
// C:\Plugins\Glissel/glissel.html. Returns false (and an empty path) when the module path
// is shorter than the file name or the result does not fit `capacity` bytes with its NUL.
bool PluginFilePath(const char* module_path, const char* relative, char* path,
                    size_t capacity);

// The same for this module, found through the OS; false when its path is unknown.
bool PluginFileBesideModule(const char* relative, char* path, size_t capacity);
