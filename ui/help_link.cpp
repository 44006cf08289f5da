// The help link: the page's path beside the module, opened through the shell.
#include "ui/help_link.h"

#include "platform/os/beside_module.h"
#include "platform/os/module_handle.h"
#include "platform/os/shell_open.h"

void OpenHelpPageBeside(void* parent, const char* module_path) {
  char path[kModulePathCapacity];
  // A path cut short would open a wrong file: nothing is opened instead.
  if (!PathBesideModule(module_path, kHelpPagePath, path, sizeof path)) return;
  ShellOpen(parent, path);
}

void OpenHelpPage(void* parent) {
  char module_path[kModulePathCapacity];
  if (ModuleFilePath(module_path, sizeof module_path) == 0) return;  // unknown or too long
  OpenHelpPageBeside(parent, module_path);
}
