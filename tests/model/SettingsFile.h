// The settings file as a test sees it: parsed straight from its bytes on disk, not through
// the Resource Manager that wrote it.
#pragma once

#include <filesystem>
#include <string>

#include "model/PluginDefines.h"
#include "platform/resources/ResourceFork.h"
#include "tests/testlib/ScratchFolder.h"

namespace vantiro::test {

// The stored record's bytes; empty when the file holds none.
inline std::string StoredRecord(const std::filesystem::path& path) {
  const std::string bytes = ReadFile(path);
  auto fork = ParseResourceFork(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  const Resource* record = fork ? fork->Find(cPrefsType, cPrefsID) : nullptr;
  return record != nullptr ? record->data : std::string();
}

}  // namespace vantiro::test
