#include "platform/memory/Memory.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// Each block is preceded by a header that records its size; 16 bytes keep the block
// aligned for any type.
struct alignas(16) BlockHeader {
  Size size;
  uint32_t magic;
};
constexpr uint32_t kPtrMagic = 0x50545221;     // "PTR!"
constexpr uint32_t kFreedMagic = 0x46524545;   // "FREE"
constexpr Size kMaxBlock = std::numeric_limits<Size>::max() / 2;

int gFailCount = 0;

BlockHeader* HeaderOf(Ptr p) { return reinterpret_cast<BlockHeader*>(p) - 1; }

Ptr Allocate(Size byteCount, bool clear) {
  if (gFailCount > 0) {
    --gFailCount;
    return nullptr;
  }
  if (byteCount < 0 || byteCount > kMaxBlock) return nullptr;
  const std::size_t total = sizeof(BlockHeader) + static_cast<std::size_t>(byteCount);
  void* raw = clear ? std::calloc(1, total) : std::malloc(total);
  if (raw == nullptr) return nullptr;
  auto* header = static_cast<BlockHeader*>(raw);
  header->size = byteCount;
  header->magic = kPtrMagic;
  return reinterpret_cast<Ptr>(header + 1);
}

}  // namespace

extern "C" {

Ptr NewPtr(Size byteCount) { return Allocate(byteCount, false); }

Ptr NewPtrClear(Size byteCount) { return Allocate(byteCount, true); }

void DisposePtr(Ptr p) {
  if (p == nullptr) return;
  BlockHeader* header = HeaderOf(p);
  // A foreign or already freed block: refusing is safer than corrupting the heap.
  if (header->magic != kPtrMagic) return;
  header->magic = kFreedMagic;
  std::free(header);
}

Size GetPtrSize(Ptr p) {
  if (p == nullptr || HeaderOf(p)->magic != kPtrMagic) return 0;
  return HeaderOf(p)->size;
}

// A handle is a master pointer block holding the address of the data block.
Handle NewHandle(Size byteCount) {
  Ptr data = NewPtr(byteCount);
  if (data == nullptr) return nullptr;
  auto master = reinterpret_cast<Handle>(NewPtr(sizeof(Ptr)));
  if (master == nullptr) {
    DisposePtr(data);
    return nullptr;
  }
  *master = data;
  return master;
}

Handle NewHandleClear(Size byteCount) {
  Handle h = NewHandle(byteCount);
  if (h != nullptr) std::memset(*h, 0, static_cast<std::size_t>(byteCount));
  return h;
}

void DisposeHandle(Handle h) {
  if (h == nullptr) return;
  DisposePtr(*h);
  DisposePtr(reinterpret_cast<Ptr>(h));
}

Size GetHandleSize(Handle h) { return h == nullptr ? 0 : GetPtrSize(*h); }

void VantiroFailNextAllocations(int count) { gFailCount = count; }

}  // extern "C"
