// The pendant model's path from the module's own path.
#include "shell/model_path.h"

#include "shell/plugin_file_path.h"

bool ModelPathFromModulePath(const char* module_path, char* path, size_t capacity) {
  return PluginFilePath(module_path, kPendantModelPath, path, capacity);
}

bool PendantModelPath(char* path, size_t capacity) {
  return PluginFileBesideModule(kPendantModelPath, path, capacity);
}
