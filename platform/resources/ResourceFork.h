// The classic resource-file layout as a value: parsing a file's bytes into types and
// resources, and writing them back. Big-endian fields; header, data, map with type list,
// reference lists and name list.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/MacTypes.h"

namespace vantiro {

struct Resource {
  ResType type = 0;
  int16_t id = 0;
  std::optional<std::string> name;  // Mac Roman bytes, up to 255
  uint8_t attributes = 0;
  std::string data;
};

struct ResourceFork {
  uint16_t fileAttributes = 0;
  std::vector<Resource> resources;  // grouped by type on writing, order kept within a type

  Resource* Find(ResType type, int16_t id);
  std::size_t Count(ResType type) const;
};

// nullopt for anything that is not a well-formed resource file. Never reads outside
// `bytes`, and bounds its work and memory by the size of the input.
std::optional<ResourceFork> ParseResourceFork(std::span<const uint8_t> bytes);

std::vector<uint8_t> SerializeResourceFork(const ResourceFork& fork);

// A string list ('STR#'): a big-endian count, then length-prefixed strings.
std::optional<std::string> StringListEntry(const std::string& data, int index);  // 1-based
std::string MakeStringList(const std::vector<std::string>& entries);

}  // namespace vantiro
