// Host memory handles (PF_Handle) as the host hands them out through host_new_handle and
// its siblings: each handle is a pointer to a slot holding the block's address. The table
// tracks every live handle so that a test can see leaks, double disposal and unbalanced
// locks, and can be told to refuse new handles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

#include "platform/sdk/ae_types.h"

namespace qvhost {

class HandleTable {
 public:
  // New blocks are filled with this byte, not zeros: the host promises no contents.
  static constexpr uint8_t kFreshFill = 0xA5;

  HandleTable() = default;
  HandleTable(const HandleTable&) = delete;
  HandleTable& operator=(const HandleTable&) = delete;

  // A new handle of `size` bytes, or null when refused or out of memory.
  PF_Handle New(uint64_t size);
  // The block's address, or null (and a bad call counted) for an unknown handle.
  void* Lock(PF_Handle handle);
  void Unlock(PF_Handle handle);
  // Releases the handle; an unknown or already disposed handle counts as a bad call.
  void Dispose(PF_Handle handle);

  bool Owns(PF_Handle handle) const { return blocks_.count(handle) != 0; }
  size_t SizeOf(PF_Handle handle) const;
  int LockCount(PF_Handle handle) const;

  size_t live() const { return blocks_.size(); }
  int created() const { return created_; }
  int disposed() const { return disposed_; }
  int refused() const { return refused_; }
  // Locks of unknown handles, unlocks without a lock, disposals of unknown handles.
  int bad_calls() const { return bad_calls_; }

  // While set, New returns null.
  void set_refuse_new(bool refuse) { refuse_new_ = refuse; }

 private:
  struct Block {
    void* slot = nullptr;  // what the PF_Handle points at
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
    int locks = 0;
  };
  std::map<PF_Handle, std::unique_ptr<Block>> blocks_;
  bool refuse_new_ = false;
  int created_ = 0, disposed_ = 0, refused_ = 0, bad_calls_ = 0;
};

}  // namespace qvhost
