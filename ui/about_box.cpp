// The about box. The dialog proper comes with the panel work; until then the command
// answers without showing anything.
#include "ui/about_box.h"

long ShowAboutBox(void* /*parent*/) { return 0; }
