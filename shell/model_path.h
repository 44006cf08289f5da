// Where the pendant model file lies: beside the module, in "Geometry/Toys/Toy01.3dd".
#pragma once

#include <stddef.h>

// The relative path of the pendant model from the plug-in folder (forward slashes).
constexpr char kPendantModelPath[] = "Geometry/Toys/Toy01.3dd";

// The size of the module path buffer; the model path must fit it too.
constexpr size_t kModulePathCapacity = 1024;

// Builds the model path from the module's full path: its folder (up to and with the last
// '/' or '\\') followed by kPendantModelPath. So C:\Plugins\Quorvel64.AEX gives
// C:\Plugins\Geometry/Toys/Toy01.3dd, and /usr/lib/frei0r-1/quorvel.so gives
// /usr/lib/frei0r-1/Geometry/Toys/Toy01.3dd. Returns false (and an empty path) when the
// result does not fit `capacity` bytes with its NUL.
bool ModelPathFromModulePath(const char* module_path, char* path, size_t capacity);

// The same for this module, found through the OS; false when its path is unknown or too
// long.
bool PendantModelPath(char* path, size_t capacity);
