#include "platform/files/Files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>

#include <cstdlib>
#include <cstring>
#include <map>
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

OSErr FSMakeFSSpec(int16_t, int32_t dirID, ConstStr255Param name, FSSpec* fileSpec) {
  if (fileSpec == nullptr || name == nullptr) return paramErr;
  const auto leaf = vantiro::PascalChars(name);
  if (leaf.empty() || leaf.find('/') != std::string_view::npos || leaf == "." || leaf == "..")
    return bdNamErr;
  std::string dir;
  if (!PathForDirID(dirID, &dir)) return dirNFErr;
  fileSpec->vRefNum = kVantiroVolume;
  fileSpec->parID = dirID;
  vantiro::SetPascal(fileSpec->name, leaf);
  std::error_code ec;
  return fs::exists(fs::path(dir) / leaf, ec) ? noErr : fnfErr;
}

OSErr VantiroMakeFSSpecFromPath(const char* path, FSSpec* fileSpec) {
  if (path == nullptr || fileSpec == nullptr) return paramErr;
  std::error_code ec;
  const fs::path full = fs::absolute(path, ec).lexically_normal();
  if (ec || !full.has_filename()) return bdNamErr;
  const std::string leaf = full.filename();
  if (leaf.size() > 255) return bdNamErr;
  if (!fs::is_directory(full.parent_path(), ec)) return dirNFErr;
  const int32_t dirID = DirIDForPath(full.parent_path());
  return FSMakeFSSpec(kVantiroVolume, dirID, vantiro::PStr(leaf), fileSpec);
}

std::string VantiroPathFromFSSpec(const FSSpec& fileSpec) {
  std::string dir;
  if (!PathForDirID(fileSpec.parID, &dir)) return {};
  return (fs::path(dir) / std::string(vantiro::PascalChars(fileSpec.name))).string();
}

namespace {

// Paths named by references, numbered from 1; a number is never reused.
std::mutex gRefMutex;
std::vector<std::string>& RefPaths() {
  static auto* paths = new std::vector<std::string>();
  return *paths;
}
std::map<std::string, uint64_t>& RefNumbers() {
  static auto* numbers = new std::map<std::string, uint64_t>();
  return *numbers;
}

void MakeRef(const std::string& path, FSRef* ref) {
  std::lock_guard lock(gRefMutex);
  auto [it, added] = RefNumbers().try_emplace(path, 0);
  if (added) {
    RefPaths().push_back(path);
    it->second = RefPaths().size();
  }
  std::memset(ref->hidden, 0, sizeof ref->hidden);
  std::memcpy(ref->hidden, &it->second, sizeof it->second);
}

OSErr RefForPath(const std::string& path, FSRef* ref, Boolean* isDirectory) {
  std::memset(ref->hidden, 0, sizeof ref->hidden);
  std::error_code ec;
  const fs::path full = fs::absolute(path, ec).lexically_normal();
  if (ec || path.empty()) return paramErr;
  const auto status = fs::status(full, ec);
  if (!fs::exists(status)) return fnfErr;
  if (isDirectory != nullptr) *isDirectory = fs::is_directory(status);
  std::string text = full.string();
  if (text.size() > 1 && text.back() == '/') text.pop_back();
  MakeRef(text, ref);
  return noErr;
}

OSType ReadCode(const char* path, const char* name) {
  unsigned char bytes[4];
  if (getxattr(path, name, bytes, sizeof bytes) != static_cast<ssize_t>(sizeof bytes)) return 0;
  return FOUR_CHAR_CODE(bytes[0], bytes[1], bytes[2], bytes[3]);
}

}  // namespace

OSErr FSpMakeFSRef(const FSSpec* source, FSRef* newRef) {
  if (source == nullptr || newRef == nullptr) return paramErr;
  std::memset(newRef->hidden, 0, sizeof newRef->hidden);
  const std::string path = VantiroPathFromFSSpec(*source);
  if (path.empty()) return dirNFErr;
  return RefForPath(path, newRef, nullptr);
}

OSStatus FSPathMakeRef(const uint8_t* path, FSRef* ref, Boolean* isDirectory) {
  if (path == nullptr || ref == nullptr) return paramErr;
  return RefForPath(reinterpret_cast<const char*>(path), ref, isDirectory);
}

std::string VantiroPathFromFSRef(const FSRef& ref) {
  uint64_t number = 0;
  std::memcpy(&number, ref.hidden, sizeof number);
  std::lock_guard lock(gRefMutex);
  if (number == 0 || number > RefPaths().size()) return {};
  return RefPaths()[number - 1];
}

OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap, FSCatalogInfo* catalogInfo, HFSUniStr255* outName,
                       FSSpec* fsSpec, FSRef* parentRef) {
  if (ref == nullptr || catalogInfo != nullptr || outName != nullptr) return paramErr;
  const std::string path = VantiroPathFromFSRef(*ref);
  if (path.empty()) return paramErr;
  if (fsSpec != nullptr) {
    const OSErr err = VantiroMakeFSSpecFromPath(path.c_str(), fsSpec);
    if (err != noErr) return err;
  }
  if (parentRef != nullptr) return RefForPath(fs::path(path).parent_path().string(), parentRef, nullptr);
  return noErr;
}

void VantiroGetFileTypeAndCreator(const char* path, OSType* type, OSType* creator) {
  if (type != nullptr) *type = path == nullptr ? 0 : ReadCode(path, "user.vantiro.type");
  if (creator != nullptr) *creator = path == nullptr ? 0 : ReadCode(path, "user.vantiro.creator");
}

int VantiroLockFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  // A lock file another user made, or a read-only one, still locks when opened for reading.
  if (fd < 0 && errno != ENOENT) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return -1;
  while (flock(fd, LOCK_EX) != 0)
    if (errno != EINTR) {
      close(fd);
      return -1;
    }
  return fd;
}

void VantiroUnlockFile(int fd) {
  if (fd >= 0) close(fd);
}
