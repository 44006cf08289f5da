// Host memory handles: allocation, locking and disposal, with every misuse counted.
#include "host/handles.h"

#include <cstring>
#include <new>

namespace qvhost {

namespace {
// No effect asks for more in one handle; a larger request is treated as out of memory.
constexpr uint64_t kMaxHandleBytes = uint64_t{1} << 32;
}  // namespace

PF_Handle HandleTable::New(uint64_t size) {
  if (refuse_new_ || size > kMaxHandleBytes) {
    ++refused_;
    return nullptr;
  }
  auto block = std::make_unique<Block>();
  // A zero-sized handle still gets a distinct, non-null block.
  size_t bytes = size == 0 ? 1 : static_cast<size_t>(size);
  block->bytes.reset(new (std::nothrow) uint8_t[bytes]);
  if (!block->bytes) {
    ++refused_;
    return nullptr;
  }
  std::memset(block->bytes.get(), kFreshFill, bytes);
  block->size = static_cast<size_t>(size);
  block->slot = block->bytes.get();
  PF_Handle handle = &block->slot;
  blocks_[handle] = std::move(block);
  ++created_;
  return handle;
}

void* HandleTable::Lock(PF_Handle handle) {
  auto it = blocks_.find(handle);
  if (it == blocks_.end()) {
    ++bad_calls_;
    return nullptr;
  }
  ++it->second->locks;
  return it->second->slot;
}

void HandleTable::Unlock(PF_Handle handle) {
  auto it = blocks_.find(handle);
  if (it == blocks_.end() || it->second->locks == 0) {
    ++bad_calls_;
    return;
  }
  --it->second->locks;
}

void HandleTable::Dispose(PF_Handle handle) {
  auto it = blocks_.find(handle);
  if (it == blocks_.end()) {
    ++bad_calls_;
    return;
  }
  blocks_.erase(it);
  ++disposed_;
}

size_t HandleTable::SizeOf(PF_Handle handle) const {
  auto it = blocks_.find(handle);
  return it == blocks_.end() ? 0 : it->second->size;
}

int HandleTable::LockCount(PF_Handle handle) const {
  auto it = blocks_.find(handle);
  return it == blocks_.end() ? 0 : it->second->locks;
}

}  // namespace qvhost
