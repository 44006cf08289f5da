// The native module's copy of its bitmap resources: the .bmp files of shell/resources,
// compiled in as bytes (the build generates the table from the files).
#pragma once

#include <stddef.h>

struct EmbeddedBitmap {
  int id;
  const unsigned char* bytes;  // the whole .bmp file
  size_t size;
};

// The embedded bitmap with resource id `id`, or null.
const EmbeddedBitmap* FindEmbeddedBitmap(int id);
