// The pendant model's path from the module's own path.
#include "shell/model_path.h"

#include <string.h>

#include "platform/os/module_handle.h"

bool ModelPathFromModulePath(const char* module_path, char* path, size_t capacity) {
  if (!path || capacity == 0) return false;
  path[0] = '\0';
  if (!module_path) return false;
  // The folder ends at the last separator (kept), whatever the module file is called: the
  // same folder as the built-in name's length gives, and the right one for a module under
  // another name (the frei0r filter, a renamed file). No separator: the current folder.
  const char* slash = strrchr(module_path, '/');
  const char* backslash = strrchr(module_path, '\\');
  const char* last = slash > backslash ? slash : backslash;
  const size_t folder = last ? static_cast<size_t>(last - module_path) + 1 : 0;
  const size_t relative = sizeof kPendantModelPath - 1;
  if (folder + relative + 1 > capacity) return false;
  memcpy(path, module_path, folder);
  memcpy(path + folder, kPendantModelPath, relative + 1);
  return true;
}

bool PendantModelPath(char* path, size_t capacity) {
  char module_path[kModulePathCapacity];
  if (ModuleFilePath(module_path, sizeof module_path) == 0) {
    if (path && capacity) path[0] = '\0';
    return false;
  }
  return ModelPathFromModulePath(module_path, path, capacity);
}
