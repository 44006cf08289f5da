// The help link: the page's path from the module's own path, opened through the shell.
#include "ui/help_link.h"

#include "platform/os/module_handle.h"
#include "platform/os/shell_open.h"
#include "shell/model_path.h"
#include "shell/plugin_file_path.h"

void OpenHelpPageBeside(void* parent, const char* module_path) {
  char path[kModulePathCapacity];
  // No folder left, or a path cut short: nothing is opened rather than a wrong file.
  if (!PluginFilePath(module_path, kHelpPagePath, path, sizeof path)) return;
  ShellOpen(parent, path);
}

void OpenHelpPage(void* parent) {
  char module_path[kModulePathCapacity];
  if (ModuleFilePath(module_path, sizeof module_path) == 0) return;  // unknown or too long
  OpenHelpPageBeside(parent, module_path);
}
