#include "platform/files/Files.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/text/MacRoman.h"

namespace fs = std::filesystem;

namespace {

// Directory ids start above the old system's reserved ids (1 and 2).
constexpr int32_t kFirstDirID = 100;

std::mutex gDirMutex;
std::vector<std::string>& Directories() {
  static auto* dirs = new std::vector<std::string>();
  return *dirs;
}

int32_t DirIDForPath(const std::string& dir) {
  std::lock_guard lock(gDirMutex);
  auto& dirs = Directories();
  for (std::size_t i = 0; i < dirs.size(); ++i)
    if (dirs[i] == dir) return kFirstDirID + static_cast<int32_t>(i);
  dirs.push_back(dir);
  return kFirstDirID + static_cast<int32_t>(dirs.size() - 1);
}

bool PathForDirID(int32_t dirID, std::string* out) {
  std::lock_guard lock(gDirMutex);
  const auto& dirs = Directories();
  const auto index = static_cast<int64_t>(dirID) - kFirstDirID;
  if (index < 0 || index >= static_cast<int64_t>(dirs.size())) return false;
  *out = dirs[static_cast<std::size_t>(index)];
  return true;
}

std::string PreferencesFolderPath() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
    return xdg;
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
    return std::string(home) + "/.config";
  return {};
}

}  // namespace

OSErr FindFolder(int16_t, OSType folderType, Boolean createFolder, int16_t* foundVRefNum,
                 int32_t* foundDirID) {
  if (folderType != kPreferencesFolderType || createFolder) return paramErr;
  const std::string dir = PreferencesFolderPath();
  std::error_code ec;
  if (dir.empty() || !fs::is_directory(dir, ec)) return fnfErr;
  if (foundVRefNum != nullptr) *foundVRefNum = kVantiroVolume;
  if (foundDirID != nullptr) *foundDirID = DirIDForPath(fs::absolute(dir, ec).lexically_normal());
  return noErr;
}

OSErr FSMakeFSSpec(int16_t, int32_t dirID, ConstStr255Param name, FSSpec* spec) {
  if (spec == nullptr || name == nullptr) return paramErr;
  const auto leaf = vantiro::PascalChars(name);
  if (leaf.empty() || leaf.find('/') != std::string_view::npos || leaf == "." || leaf == "..")
    return bdNamErr;
  std::string dir;
  if (!PathForDirID(dirID, &dir)) return dirNFErr;
  spec->vRefNum = kVantiroVolume;
  spec->parID = dirID;
  vantiro::SetPascal(spec->name, leaf);
  std::error_code ec;
  return fs::exists(fs::path(dir) / leaf, ec) ? noErr : fnfErr;
}

OSErr VantiroMakeFSSpecFromPath(const char* path, FSSpec* spec) {
  if (path == nullptr || spec == nullptr) return paramErr;
  std::error_code ec;
  const fs::path full = fs::absolute(path, ec).lexically_normal();
  if (ec || !full.has_filename()) return bdNamErr;
  const std::string leaf = full.filename();
  if (leaf.size() > 255) return bdNamErr;
  if (!fs::is_directory(full.parent_path(), ec)) return dirNFErr;
  const int32_t dirID = DirIDForPath(full.parent_path());
  return FSMakeFSSpec(kVantiroVolume, dirID, vantiro::PStr(leaf), spec);
}

std::string VantiroPathFromFSSpec(const FSSpec& spec) {
  std::string dir;
  if (!PathForDirID(spec.parID, &dir)) return {};
  return (fs::path(dir) / std::string(vantiro::PascalChars(spec.name))).string();
}

OSErr FSpDelete(const FSSpec* spec) {
  if (spec == nullptr) return paramErr;
  const std::string path = VantiroPathFromFSSpec(*spec);
  if (path.empty()) return dirNFErr;
  std::error_code ec;
  return fs::remove(path, ec) ? noErr : (ec ? ioErr : fnfErr);
}
