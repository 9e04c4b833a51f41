#include "platform/resources/ResourceFork.h"

#include <algorithm>
#include <set>
#include <utility>

namespace vantiro {
namespace {

constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kDataStart = 256;  // header plus the reserved system and application area
constexpr std::size_t kMapHeaderSize = 28;
constexpr std::size_t kTypeEntrySize = 8;
constexpr std::size_t kRefEntrySize = 12;
constexpr uint16_t kNoName = 0xFFFF;

class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  bool Has(uint64_t offset, uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  uint32_t U8(uint64_t o) const { return bytes_[o]; }
  uint32_t U16(uint64_t o) const { return U8(o) << 8 | U8(o + 1); }
  uint32_t U24(uint64_t o) const { return U8(o) << 16 | U16(o + 1); }
  uint32_t U32(uint64_t o) const { return U16(o) << 16 | U16(o + 2); }
  std::string Bytes(uint64_t o, uint64_t n) const {
    return {reinterpret_cast<const char*>(bytes_.data() + o), static_cast<std::size_t>(n)};
  }

 private:
  std::span<const uint8_t> bytes_;
};

class Writer {
 public:
  void U8(uint32_t v) { out_.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v) { U8(v >> 8), U8(v); }
  void U24(uint32_t v) { U8(v >> 16), U16(v); }
  void U32(uint32_t v) { U16(v >> 16), U16(v); }
  void Bytes(const std::string& s) { out_.insert(out_.end(), s.begin(), s.end()); }
  void Zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }
  void PutU16At(std::size_t at, uint32_t v) {
    out_[at] = static_cast<uint8_t>(v >> 8);
    out_[at + 1] = static_cast<uint8_t>(v);
  }
  std::size_t size() const { return out_.size(); }
  std::vector<uint8_t> Take() { return std::move(out_); }

 private:
  std::vector<uint8_t> out_;
};

struct Layout {
  uint64_t dataOff, mapOff, dataLen, mapLen;
};

std::optional<Layout> ReadLayout(const Reader& r) {
  if (!r.Has(0, kHeaderSize)) return std::nullopt;
  Layout l{r.U32(0), r.U32(4), r.U32(8), r.U32(12)};
  if (!r.Has(l.dataOff, l.dataLen) || !r.Has(l.mapOff, l.mapLen)) return std::nullopt;
  if (l.mapLen < kMapHeaderSize + 2) return std::nullopt;
  return l;
}

// Reads one reference entry into `res`; false when anything lies outside its section.
bool ReadReference(const Reader& r, const Layout& l, uint64_t entry, uint64_t nameList,
                   uint64_t& dataBudget, Resource& res) {
  res.id = static_cast<int16_t>(r.U16(entry));
  const uint32_t nameOff = r.U16(entry + 2);
  res.attributes = static_cast<uint8_t>(r.U8(entry + 4));
  const uint64_t dataAt = r.U24(entry + 5);
  if (nameOff != kNoName) {
    const uint64_t at = nameList + nameOff;
    if (at >= l.mapOff + l.mapLen) return false;
    const uint32_t len = r.U8(at);
    if (at + 1 + len > l.mapOff + l.mapLen) return false;
    res.name = r.Bytes(at + 1, len);
  }
  if (dataAt + 4 > l.dataLen) return false;
  const uint64_t len = r.U32(l.dataOff + dataAt);
  if (len > l.dataLen - dataAt - 4) return false;
  // Well-formed files never share data between resources; refusing overlap keeps the
  // memory used below the file's own size.
  if (len + 4 > dataBudget) return false;
  dataBudget -= len + 4;
  res.data = r.Bytes(l.dataOff + dataAt + 4, len);
  return true;
}

}  // namespace

Resource* ResourceFork::Find(ResType type, int16_t id) {
  auto it = std::find_if(resources.begin(), resources.end(),
                         [&](const Resource& r) { return r.type == type && r.id == id; });
  return it == resources.end() ? nullptr : &*it;
}

std::size_t ResourceFork::Count(ResType type) const {
  return static_cast<std::size_t>(std::count_if(
      resources.begin(), resources.end(), [&](const Resource& r) { return r.type == type; }));
}

std::optional<ResourceFork> ParseResourceFork(std::span<const uint8_t> bytes) {
  const Reader r(bytes);
  const auto layout = ReadLayout(r);
  if (!layout) return std::nullopt;
  const Layout& l = *layout;
  const uint64_t mapEnd = l.mapOff + l.mapLen;

  ResourceFork fork;
  fork.fileAttributes = static_cast<uint16_t>(r.U16(l.mapOff + 22));
  const uint64_t typeList = l.mapOff + r.U16(l.mapOff + 24);
  const uint64_t nameList = l.mapOff + r.U16(l.mapOff + 26);
  if (typeList + 2 > mapEnd) return std::nullopt;
  const uint32_t typeCount = (r.U16(typeList) + 1) & 0xFFFF;  // stored as count − 1
  if (typeList + 2 + uint64_t(typeCount) * kTypeEntrySize > mapEnd) return std::nullopt;

  // Reference lists may not add up to more entries than the map can hold, so a map whose
  // lists overlap or repeat cannot multiply the work.
  uint64_t refBudget = l.mapLen / kRefEntrySize;
  uint64_t dataBudget = l.dataLen;
  std::set<std::pair<ResType, int16_t>> seen;
  for (uint32_t t = 0; t < typeCount; ++t) {
    const uint64_t entry = typeList + 2 + uint64_t(t) * kTypeEntrySize;
    const ResType type = r.U32(entry);
    const uint32_t refCount = r.U16(entry + 4) + 1;
    const uint64_t refList = typeList + r.U16(entry + 6);
    if (refCount > refBudget) return std::nullopt;
    refBudget -= refCount;
    if (refList + uint64_t(refCount) * kRefEntrySize > mapEnd) return std::nullopt;
    for (uint32_t k = 0; k < refCount; ++k) {
      Resource res;
      res.type = type;
      if (!ReadReference(r, l, refList + uint64_t(k) * kRefEntrySize, nameList, dataBudget, res))
        return std::nullopt;
      if (!seen.emplace(type, res.id).second) return std::nullopt;  // ambiguous file
      fork.resources.push_back(std::move(res));
    }
  }
  return fork;
}

std::vector<uint8_t> SerializeResourceFork(const ResourceFork& fork) {
  // Group by type, keeping first-appearance order of types and resources.
  std::vector<ResType> types;
  for (const auto& res : fork.resources)
    if (std::find(types.begin(), types.end(), res.type) == types.end()) types.push_back(res.type);

  Writer w;
  w.Zeros(kDataStart);
  std::vector<uint32_t> dataOffsets;
  for (ResType type : types)
    for (const auto& res : fork.resources)
      if (res.type == type) {
        dataOffsets.push_back(static_cast<uint32_t>(w.size() - kDataStart));
        w.U32(static_cast<uint32_t>(res.data.size()));
        w.Bytes(res.data);
      }
  const std::size_t dataLen = w.size() - kDataStart;

  const std::size_t mapOff = w.size();
  w.Zeros(16 + 4 + 2);  // copy of the header (filled below), next map, file reference
  w.U16(fork.fileAttributes);
  w.U16(kMapHeaderSize);
  const std::size_t nameListField = w.size();
  w.U16(0);
  w.U16(static_cast<uint32_t>(types.size()) - 1);  // 0xFFFF when there are no types

  std::size_t refListOff = 2 + types.size() * kTypeEntrySize;
  for (ResType type : types) {
    const std::size_t n = fork.Count(type);
    w.U32(type);
    w.U16(static_cast<uint32_t>(n - 1));
    w.U16(static_cast<uint32_t>(refListOff));
    refListOff += n * kRefEntrySize;
  }
  std::string names;
  std::size_t k = 0;
  for (ResType type : types)
    for (const auto& res : fork.resources)
      if (res.type == type) {
        w.U16(static_cast<uint16_t>(res.id));
        if (res.name) {
          w.U16(static_cast<uint32_t>(names.size()));
          const std::size_t len = std::min<std::size_t>(res.name->size(), 255);
          names += static_cast<char>(len);
          names += res.name->substr(0, len);
        } else {
          w.U16(kNoName);
        }
        w.U8(res.attributes);
        w.U24(dataOffsets[k++]);
        w.U32(0);
      }
  w.PutU16At(nameListField, static_cast<uint32_t>(w.size() - mapOff));
  w.Bytes(names);
  const std::size_t mapLen = w.size() - mapOff;

  std::vector<uint8_t> out = w.Take();
  const uint32_t header[4] = {static_cast<uint32_t>(kDataStart), static_cast<uint32_t>(mapOff),
                              static_cast<uint32_t>(dataLen), static_cast<uint32_t>(mapLen)};
  for (std::size_t copy : {std::size_t{0}, mapOff})
    for (int f = 0; f < 4; ++f)
      for (int b = 0; b < 4; ++b)
        out[copy + f * 4 + b] = static_cast<uint8_t>(header[f] >> (24 - 8 * b));
  return out;
}

std::optional<std::string> StringListEntry(const std::string& data, int index) {
  if (data.size() < 2 || index < 1) return std::nullopt;
  const int count = static_cast<uint8_t>(data[0]) << 8 | static_cast<uint8_t>(data[1]);
  if (index > count) return std::nullopt;
  std::size_t at = 2;
  for (int i = 1; at < data.size(); ++i) {
    const std::size_t len = static_cast<uint8_t>(data[at]);
    if (at + 1 + len > data.size()) return std::nullopt;
    if (i == index) return data.substr(at + 1, len);
    at += 1 + len;
  }
  return std::nullopt;
}

std::string MakeStringList(const std::vector<std::string>& entries) {
  std::string out;
  out += static_cast<char>(entries.size() >> 8);
  out += static_cast<char>(entries.size() & 0xFF);
  for (const auto& e : entries) {
    const std::size_t len = std::min<std::size_t>(e.size(), 255);
    out += static_cast<char>(len);
    out += e.substr(0, len);
  }
  return out;
}

}  // namespace vantiro
