// A temporary folder for one test, removed afterwards; optionally the preferences folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vantiro::test {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& leaf) const { return path_ / leaf; }

  // Points XDG_CONFIG_HOME here for the rest of the test (restored afterwards).
  void UseAsPreferencesFolder();

 private:
  std::filesystem::path path_;
  std::optional<std::optional<std::string>> savedConfigHome_;  // set once changed: the old value, if any
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
// The names in a folder, sorted.
std::vector<std::string> Listing(const std::filesystem::path& folder);

}  // namespace vantiro::test
