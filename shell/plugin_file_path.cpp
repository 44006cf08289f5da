// Paths in the plug-in folder, from the module's own path.
#include "shell/plugin_file_path.h"

#include <string.h>

#include "platform/os/module_handle.h"
#include "shell/model_path.h"
#include "shell/shell_state.h"

bool PluginFilePath(const char* module_path, const char* relative, char* path,
                    size_t capacity) {
  if (!path || capacity == 0) return false;
  path[0] = '\0';
  if (!module_path || !relative) return false;
  const size_t name_length = sizeof kModuleFileName - 1;
  const size_t length = strlen(module_path);
  if (length < name_length) return false;  // no folder can be left
  const size_t folder = length - name_length;  // keeps the trailing separator
  const size_t relative_length = strlen(relative);
  if (folder + relative_length + 1 > capacity) return false;
  memcpy(path, module_path, folder);
  memcpy(path + folder, relative, relative_length + 1);
  return true;
}

bool PluginFileBesideModule(const char* relative, char* path, size_t capacity) {
  char module_path[kModulePathCapacity];
  if (ModuleFilePath(module_path, sizeof module_path) == 0) {
    if (path && capacity) path[0] = '\0';
    return false;
  }
  return PluginFilePath(module_path, relative, path, capacity);
}
