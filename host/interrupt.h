// What an interrupted command leaves behind and must undo: the temporary files it is writing
// and the programs it started. On SIGINT, SIGTERM or SIGHUP (Ctrl-C or a closed console on
// Windows) the running children are stopped and waited for, the temporary files removed,
// and the process then ends by the same signal. Children started through StartChild end
// when this process ends, however it ends (Linux: the parent-death signal).
#pragma once

#include <string>

#if !defined(_WIN32)
#include <sys/types.h>
#endif

namespace qvhost {

// A temporary file to remove if the process is interrupted; -1 when every slot is taken
// (the file is then removed only on ordinary failures).
int AddPendingFile(const std::string& path);
void ForgetPendingFile(int slot);

#if !defined(_WIN32)
// Forks a child that is stopped with us: in the child the interrupt handlers are reset, the
// parent-death signal set, and `run` called (it must exec or _exit). In the parent the
// child is recorded until ForgetChild, with `input_fd`, our end of a pipe the child reads
// (or -1): an interrupt closes it before it stops the child. Returns the child's id, or -1
// with errno.
pid_t StartChild(void (*run)(void* context), void* context, int input_fd = -1);
void ForgetChild(pid_t child);
// The child's input is about to be closed by its owner: the handler must not close it.
void ForgetChildInput(pid_t child);
#endif

}  // namespace qvhost
