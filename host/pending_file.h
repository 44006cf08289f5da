// A file written under a temporary name beside its final one ("NAME.part") and put in place
// by a rename only once it is complete: a failure, a full disk or an interrupt leaves no
// half-written file under the final name, and an older file of that name stays as it was.
#pragma once

#include <string>

namespace qvhost {

// The temporary name a file is written under until it is complete.
std::string TemporaryName(const std::string& path);

class PendingFile {
 public:
  explicit PendingFile(std::string path);
  // Without Commit: the temporary file is removed. A name that exists as something other
  // than a plain file (a device, a pipe) is written directly.
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // The name to write to.
  const std::string& temporary() const { return temporary_; }
  const std::string& path() const { return path_; }
  // Puts the written file in place. False, with the temporary file removed and a message
  // in `error`, when it cannot.
  bool Commit(std::string& error);

 private:
  std::string path_, temporary_;
  int slot_;  // its record for the interrupt handler
  bool done_ = false;
};

}  // namespace qvhost
