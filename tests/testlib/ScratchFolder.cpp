#include "tests/testlib/ScratchFolder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace vantiro::test {

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vantiro-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  if (savedConfigHome_ && *savedConfigHome_) setenv("XDG_CONFIG_HOME", (*savedConfigHome_)->c_str(), 1);
  if (savedConfigHome_ && !*savedConfigHome_) unsetenv("XDG_CONFIG_HOME");
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void ScratchFolder::UseAsPreferencesFolder() {
  const char* old = std::getenv("XDG_CONFIG_HOME");
  if (!savedConfigHome_) savedConfigHome_.emplace(old ? std::optional<std::string>(old) : std::nullopt);
  setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> Listing(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace vantiro::test
