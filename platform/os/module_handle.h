// The loaded module's own identity: its handle (recorded at attach) and its file path.
#pragma once

#include <stddef.h>

// The module handle recorded when the module was attached to the process (an HMODULE on
// Windows, the address of a symbol inside the module natively).
void* ModuleHandle();

// Writes the module's full file path, NUL-terminated, into buffer (capacity bytes).
// Returns its length, or 0 when it is unknown or does not fit.
size_t ModuleFilePath(char* buffer, size_t capacity);
