// Reading files behind the OS seam: open for reading (other readers may share the file),
// seek, read, size and close. CreateFileA with FILE_SHARE_READ on Windows, open() natively.
#pragma once

#include <stddef.h>
#include <stdint.h>

// An open file, or null.
typedef void* OsFile;

// Opens an existing plain file for reading, sharing read access; null when it cannot be
// opened or is no plain file (a folder, a pipe, a device), without waiting on a pipe.
OsFile OsFileOpenRead(const char* path);

// Moves the read position to an absolute byte offset. False on failure or a negative offset.
bool OsFileSeek(OsFile file, int64_t offset);

// Reads up to `bytes` bytes at the read position; returns how many were read (0 at the end
// of the file or on failure).
size_t OsFileRead(OsFile file, void* buffer, size_t bytes);

// The file's size in bytes, or -1 when it cannot be found.
int64_t OsFileSize(OsFile file);

// Closes the file; null is ignored.
void OsFileClose(OsFile file);
