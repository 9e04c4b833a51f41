// Large blocks of pixel memory are made and released at one size every frame, and each
// fresh page costs a fault when it is first touched. A recycler keeps the four large blocks
// released most recently for the next request of about their size: a frame inside a fade
// holds three rasters at once (the source's copy, the scratch frame and the crop).
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace vantiro {

template <class Block>
class Recycler {
 public:
  using Bytes = std::size_t (*)(const Block&);
  explicit Recycler(Bytes bytes) : bytes_(bytes) {}

  // A kept block of `wanted` to twice `wanted` bytes, moved into `out`; its contents are
  // whatever was left in it.
  bool Take(std::size_t wanted, Block& out) {
    std::lock_guard lock(mutex_);
    for (auto it = kept_.begin(); it != kept_.end(); ++it) {
      const std::size_t have = bytes_(*it);
      if (have >= wanted && have / 2 <= wanted) {
        out = std::move(*it);
        kept_.erase(it);
        return true;
      }
    }
    return false;
  }

  // Small blocks are simply freed, as is the oldest kept one when one more arrives.
  void Keep(Block block) {
    if (bytes_(block) < kMinBytes) return;
    std::lock_guard lock(mutex_);
    kept_.push_back(std::move(block));
    if (kept_.size() > kKept) kept_.erase(kept_.begin());
  }

 private:
  static constexpr std::size_t kMinBytes = std::size_t(1) << 20;
  static constexpr std::size_t kKept = 4;
  std::mutex mutex_;
  std::vector<Block> kept_;
  Bytes bytes_;
};

}  // namespace vantiro
