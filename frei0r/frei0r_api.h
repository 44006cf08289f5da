// frei0r's public header (Debian's frei0r-plugins-dev), which declares its functions
// without C linkage of its own: included here inside extern "C".
#pragma once

#include <cstdint>

extern "C" {
#include <frei0r.h>
}
