// Fuzz target: a settings file's bytes through the resource-file reader, then its
// settings record through the decoder and the rectangle conversion the renderer uses.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "model/DataHandling.h"
#include "model/relrects.h"
#include "platform/memory/Memory.h"
#include "platform/resources/ResourceFork.h"

namespace {

void DecodeRecord(const std::string& data) {
  Handle h = NewHandle(static_cast<Size>(data.size()));
  if (h == nullptr) return;
  std::memcpy(*h, data.data(), data.size());
  pluginDataRec config{};
  if (Save2Config(&config, h)) {
    const Rect frame{0, 0, 480, 720};
    const Rect r = Rel2Rect(config.startRel, frame);
    // Keep the result alive so the conversion is not optimised away.
    volatile int sink = r.left + r.right + r.top + r.bottom;
    (void)sink;
  }
  DisposeHandle(h);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto fork = vantiro::ParseResourceFork(std::span(data, size));
  if (fork) {
    for (const auto& res : fork->resources) {
      if (res.type == cPrefsType) DecodeRecord(res.data);
      if (res.type == FOUR_CHAR_CODE('S', 'T', 'R', '#'))
        for (int i = 0; i < 4; ++i) (void)vantiro::StringListEntry(res.data, i);
    }
    (void)vantiro::SerializeResourceFork(*fork);
  }
  // The raw bytes as a record too, so the decoder sees every length and value.
  DecodeRecord(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
