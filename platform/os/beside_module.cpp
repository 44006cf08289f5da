// Paths beside the module: its own path cut at the last separator.
#include "platform/os/beside_module.h"

#include <string.h>

#include "platform/os/module_handle.h"

bool PathBesideModule(const char* module_path, const char* relative, char* path, size_t capacity) {
  if (!path || capacity == 0) return false;
  path[0] = '\0';
  if (!module_path || !module_path[0] || !relative) return false;
  const char* slash = strrchr(module_path, '/');
  const char* backslash = strrchr(module_path, '\\');
  const char* last = slash > backslash ? slash : backslash;
  const size_t folder = last ? static_cast<size_t>(last - module_path) + 1 : 0;
  const size_t relative_length = strlen(relative);
  if (folder + relative_length + 1 > capacity) return false;
  memcpy(path, module_path, folder);
  memcpy(path + folder, relative, relative_length + 1);
  return true;
}

bool FileBesideModule(const char* relative, char* path, size_t capacity) {
  char module_path[kModulePathCapacity];
  if (ModuleFilePath(module_path, sizeof module_path) == 0) {
    if (path && capacity) path[0] = '\0';
    return false;
  }
  return PathBesideModule(module_path, relative, path, capacity);
}
