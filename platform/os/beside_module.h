// Files that lie beside the module in its plug-in folder (the pendant model, the help page):
// the folder of the module's own path, cut at its last separator, whatever the module file
// is called (the built-in name, a renamed copy, the frei0r filter), then a relative path.
#pragma once

#include <stddef.h>

// The size of the path buffers: the module's own path and every path beside it must fit.
constexpr size_t kModulePathCapacity = 1024;

// The folder of module_path (up to and with its last '/' or '\\'; none: the current folder)
// followed by relative. So C:\Plugins\Quorvel64.AEX and "Glissel/glissel.html" give
// C:\Plugins\Glissel/glissel.html. Returns false (and an empty path) when module_path is
// null or empty, relative is null, or the result does not fit `capacity` bytes with its NUL.
bool PathBesideModule(const char* module_path, const char* relative, char* path, size_t capacity);

// The same for this module, found through the OS; false (and an empty path) when its path
// is unknown or too long.
bool FileBesideModule(const char* relative, char* path, size_t capacity);
