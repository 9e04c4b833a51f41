#include <gtest/gtest.h>

#include "platform/resources/ResourceFork.h"

using namespace vantiro;

namespace {

constexpr ResType kSTR = FOUR_CHAR_CODE('S', 'T', 'R', '#');
constexpr ResType kPref = FOUR_CHAR_CODE('P', 'r', 'e', 'f');

// Byte by byte from the published layout: 'Pref' id 1 "Config Settings" holding "abc".
std::vector<uint8_t> HandBuiltFile() {
  std::vector<uint8_t> f(256, 0);
  auto u16 = [&](uint32_t v) { f.push_back(uint8_t(v >> 8)), f.push_back(uint8_t(v)); };
  auto u32 = [&](uint32_t v) { u16(v >> 16), u16(v & 0xFFFF); };
  u32(3);                       // data: length, then bytes
  f.insert(f.end(), {'a', 'b', 'c'});
  const uint32_t mapOff = uint32_t(f.size());
  for (int i = 0; i < 22; ++i) f.push_back(0);  // header copy (filled in below), next map, file ref
  u16(0);                                       // file attributes
  u16(28);                                      // type list offset
  u16(28 + 2 + 8 + 12);                         // name list offset
  u16(0);                                       // one type
  u32(kPref), u16(0), u16(2 + 8);               // one resource, refs after the type entry
  u16(1), u16(0);                               // id 1, name at 0
  f.push_back(0x20);                            // attributes
  f.push_back(0), f.push_back(0), f.push_back(0);  // data offset 0
  u32(0);
  const std::string name = "Config Settings";
  f.push_back(uint8_t(name.size()));
  f.insert(f.end(), name.begin(), name.end());
  const uint32_t mapLen = uint32_t(f.size()) - mapOff;
  const uint32_t header[4] = {256, mapOff, 7, mapLen};
  for (int k = 0; k < 16; ++k) f[k] = f[mapOff + k] = uint8_t(header[k / 4] >> (24 - 8 * (k % 4)));
  return f;
}

uint32_t Be32(const std::vector<uint8_t>& b, std::size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}
uint16_t Be16(const std::vector<uint8_t>& b, std::size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }

}  // namespace

TEST(ResourceFork, ReadsAndWritesTheLayoutOtherReadersExpect) {
  const auto read = ParseResourceFork(HandBuiltFile());
  ASSERT_TRUE(read.has_value());
  ASSERT_EQ(read->resources.size(), 1u);
  const Resource& r = read->resources[0];
  EXPECT_TRUE(r.type == kPref && r.id == 1 && r.name == "Config Settings" && r.attributes == 0x20 && r.data == "abc");
  ResourceFork fork;
  fork.resources.push_back({kPref, 1, "Config Settings", 0x20, "abc"});
  EXPECT_EQ(SerializeResourceFork(fork), HandBuiltFile());

  // Resources of one type share one reference list, whatever order they came in.
  fork.resources.push_back({kSTR, 128, std::nullopt, 0, MakeStringList({"a"})});
  fork.resources.push_back({kPref, -5, std::nullopt, 0, ""});
  const auto bytes = SerializeResourceFork(fork);
  const std::size_t types = Be32(bytes, 4) + 28;
  EXPECT_EQ(Be16(bytes, types), 1) << "two types, stored as count - 1";
  EXPECT_EQ(Be16(bytes, types + 6), 1) << "two 'Pref' resources";
  const auto back = ParseResourceFork(bytes);
  ASSERT_TRUE(back.has_value());
  ASSERT_EQ(back->resources.size(), 3u);
  EXPECT_EQ(back->resources[1].id, -5);
  EXPECT_EQ(back->resources[2].data, MakeStringList({"a"}));
}

TEST(ResourceFork, RejectsDamagedAndAmbiguousFilesWithoutReadingOutside) {
  const auto good = HandBuiltFile();
  for (std::size_t n = 0; n < good.size(); ++n)
    EXPECT_FALSE(ParseResourceFork(std::span(good.data(), n))) << "cut to " << n << " bytes";

  auto patched = [&](std::size_t at, std::initializer_list<uint8_t> bytes) {
    auto f = good;
    std::copy(bytes.begin(), bytes.end(), f.begin() + long(at));
    return ParseResourceFork(f);
  };
  const std::size_t mapOff = Be32(good, 4);
  EXPECT_FALSE(patched(4, {0x7F, 0xFF, 0xFF, 0xF0})) << "map offset past the end";
  EXPECT_FALSE(patched(8, {0xFF, 0xFF, 0xFF, 0xFF})) << "data length past the end";
  EXPECT_FALSE(patched(mapOff + 24, {0xFF, 0xF0})) << "type list outside the map";
  EXPECT_FALSE(patched(mapOff + 30 + 6, {0x7F, 0x00})) << "reference list outside the map";
  const std::size_t ref = mapOff + 28 + 2 + 8;
  EXPECT_TRUE(patched(ref + 4, {0x00})) << "the patching itself keeps the file readable";
  EXPECT_FALSE(patched(ref + 2, {0x7F, 0x00})) << "name outside the map";
  // The data section holds 7 bytes: an offset past 3 leaves no room for a length word.
  for (uint8_t at = 4; at <= 8; ++at)
    EXPECT_FALSE(patched(ref + 5, {0x00, 0x00, at})) << "data entry at " << int(at) << " cut off";
  // A length word that starts inside the data and runs into the map: with the last data
  // byte 0 and the map's first bytes 00 00 01 it reads as 1, which fits the budget.
  auto runsOver = good;
  runsOver[262] = 0, runsOver[ref + 7] = 6;
  EXPECT_FALSE(ParseResourceFork(runsOver)) << "length word past its section";
  EXPECT_FALSE(patched(256, {0x00, 0x01, 0x00, 0x00})) << "data length beyond its section";

  ResourceFork two;
  two.resources.push_back({kPref, 1, std::nullopt, 0, "a"});
  two.resources.push_back({kPref, 2, std::nullopt, 0, "b"});
  auto bytes = SerializeResourceFork(two);
  bytes[Be32(bytes, 4) + 28 + 2 + 8 + 12 + 1] = 1;  // the second id becomes 1 as well
  EXPECT_FALSE(ParseResourceFork(bytes)) << "two resources with one type and id";
}
