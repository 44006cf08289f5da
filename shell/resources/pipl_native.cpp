// The native module has no resource section; it carries the PiPL's bytes as exported data
// under a fixed name, which the reference host reads in place of the resource.
#if !defined(_WIN32)
#include "platform/export.h"
#include "shell/resources/pipl_words.h"

QV_API const unsigned short QuorvelResource_PiPL_16000[] = {QUORVEL_PIPL_WORDS};
QV_API const int QuorvelResource_PiPL_16000_size = QUORVEL_PIPL_BYTES;
#endif
