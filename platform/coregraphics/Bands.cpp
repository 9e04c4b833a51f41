#include "platform/coregraphics/Bands.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vantiro {
namespace {

constexpr int kMaxBands = 8;

int DefaultBands() {
  if (const char* text = std::getenv("VANTIRO_THREADS")) {
    const int wanted = std::atoi(text);
    if (wanted >= 1) return std::min(wanted, kMaxBands);
  }
  return std::clamp(int(std::thread::hardware_concurrency()), 1, kMaxBands);
}

std::atomic<int> gBandOverride{0};

// Set on a thread while it draws a band, so that drawing from inside a band stays on it.
thread_local bool tInBand = false;

struct InBand {
  InBand() { tInBand = true; }
  ~InBand() { tInBand = false; }
};

// Workers started once and kept for the life of the process. One job at a time: the
// caller draws band 0 itself and the workers take the others.
class Pool {
 public:
  // Never destroyed: the workers sleep until the process ends.
  static Pool& Get() {
    static auto* pool = new Pool();
    return *pool;
  }

  // False when the pool is busy with another caller's drawing.
  bool Run(int bands, const std::function<void(int)>& band) {
    if (getpid() != owner_) return false;  // a forked child has none of the workers
    std::unique_lock busy(busy_, std::try_to_lock);
    if (!busy.owns_lock()) return false;
    if (!StartWorkers(bands - 1)) return false;
    {
      std::lock_guard lock(mutex_);
      job_ = &band;
      bands_ = bands;
      next_ = 1;
      pending_ = bands - 1;
      ++generation_;
    }
    wake_.notify_all();
    {
      InBand inside;
      band(0);
      TakeBands();
    }  // bands no worker has picked up yet
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return pending_ == 0; });
    job_ = nullptr;
    return true;
  }

 private:
  bool StartWorkers(int wanted) {
    try {
      while (int(workers_.size()) < wanted) {
        workers_.emplace_back([this] { Work(); });
        workers_.back().detach();
      }
    } catch (...) {  // no thread to be had: the caller draws alone
      return false;
    }
    return true;
  }

  // Draws unclaimed bands of the current job until none is left.
  void TakeBands() {
    for (;;) {
      int index;
      const std::function<void(int)>* job;
      {
        std::lock_guard lock(mutex_);
        if (job_ == nullptr || next_ >= bands_) return;
        index = next_++;
        job = job_;
      }
      (*job)(index);
      std::lock_guard lock(mutex_);
      if (--pending_ == 0) done_.notify_one();
    }
  }

  void Work() {
    unsigned long seen = 0;
    for (;;) {
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return generation_ != seen; });
        seen = generation_;
      }
      InBand inside;
      TakeBands();
    }
  }

  const pid_t owner_ = getpid();
  std::mutex busy_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::vector<std::thread> workers_;
  const std::function<void(int)>* job_ = nullptr;
  int bands_ = 0, next_ = 0, pending_ = 0;
  unsigned long generation_ = 0;
};

}  // namespace

int DrawingBands() {
  static const int fallback = DefaultBands();
  const int forced = gBandOverride.load();
  return forced > 0 ? forced : fallback;
}

void SetDrawingBands(int bands) { gBandOverride.store(std::clamp(bands, 0, kMaxBands)); }

void ForEachBand(std::size_t count, std::size_t minPerBand, const std::function<void(std::size_t, std::size_t)>& draw) {
  const std::size_t most = minPerBand == 0 ? count : count / minPerBand;
  const int bands = int(std::min<std::size_t>(std::size_t(DrawingBands()), std::max<std::size_t>(most, 1)));
  const auto range = [&](int i) { draw(count * std::size_t(i) / std::size_t(bands), count * std::size_t(i + 1) / std::size_t(bands)); };
  if (bands > 1 && !tInBand && Pool::Get().Run(bands, range)) return;
  if (count > 0) draw(0, count);
}

}  // namespace vantiro
