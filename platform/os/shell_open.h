// The shell's "open" verb behind the OS seam: the about box, the help link and the panel's
// web button open pages through it. A recorder can be installed in its place, so that tests
// see what would be opened instead of launching a browser.
#pragma once

// Opens target (a web address or a file path) with the user's default viewer, owned by
// parent (a window handle or null), as ShellExecuteA(parent, "open", target, NULL, NULL,
// SW_SHOW) does; the result is not examined. A null or empty target opens nothing. With a
// recorder installed, only the recorder is called. Natively there is no shell: without a
// recorder nothing is opened.
void ShellOpen(void* parent, const char* target);

// Installs a recorder in place of the shell (null restores the shell).
using ShellOpenRecorder = void (*)(void* parent, const char* target);
void SetShellOpenRecorder(ShellOpenRecorder recorder);
