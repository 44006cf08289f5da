// The pendant model's path from the module's own path.
#include "shell/model_path.h"

#include <string.h>

#include "platform/os/module_handle.h"
#include "shell/shell_state.h"

bool ModelPathFromModulePath(const char* module_path, char* path, size_t capacity) {
  if (!path || capacity == 0) return false;
  path[0] = '\0';
  if (!module_path) return false;
  const size_t name_length = sizeof kModuleFileName - 1;
  const size_t length = strlen(module_path);
  if (length < name_length) return false;  // no folder can be left
  const size_t folder = length - name_length;  // keeps the trailing separator
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
