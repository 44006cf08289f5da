// Temporary files put in place by rename: MoveFileEx on Windows, where rename does not
// replace an existing file.
#include "host/pending_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/interrupt.h"

#if defined(_WIN32)
#include <windows.h>

#include "host/wide_text.h"
#else
#include <sys/stat.h>
#endif

namespace qvhost {

namespace {

// A name that stands for something other than a plain file (a device such as /dev/null or
// /dev/stdout, a pipe) is written straight: a rename would replace the device itself.
bool SpecialFile(const std::string& path) {
#if defined(_WIN32)
  const DWORD attributes = GetFileAttributesW(WidenUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
  struct stat info;
  return stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
#endif
}

}  // namespace

std::string TemporaryName(const std::string& path) { return path + ".part"; }

PendingFile::PendingFile(std::string path) : path_(std::move(path)), slot_(-1) {
  if (SpecialFile(path_)) {
    temporary_ = path_;
    done_ = true;  // nothing to put in place, nothing of ours to remove
    return;
  }
  temporary_ = TemporaryName(path_);
  slot_ = AddPendingFile(temporary_);
}

PendingFile::~PendingFile() {
  if (!done_) std::remove(temporary_.c_str());
  ForgetPendingFile(slot_);
}

bool PendingFile::Commit(std::string& error) {
  if (temporary_ == path_) return true;
  done_ = true;
#if defined(_WIN32)
  const bool moved = MoveFileExW(WidenUtf8(temporary_).c_str(), WidenUtf8(path_).c_str(),
                                 MOVEFILE_REPLACE_EXISTING) != 0;
  const std::string why = moved ? "" : "error " + std::to_string(GetLastError());
#else
  const bool moved = std::rename(temporary_.c_str(), path_.c_str()) == 0;
  const std::string why = moved ? "" : std::strerror(errno);
#endif
  if (!moved) {
    std::remove(temporary_.c_str());
    error = "cannot put " + path_ + " in place: " + why;
  }
  ForgetPendingFile(slot_);
  slot_ = -1;
  return moved;
}

}  // namespace qvhost
