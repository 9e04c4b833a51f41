#include "platform/resources/ResourceManager.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/memory/Memory.h"
#include "platform/resources/ResourceFork.h"
#include "platform/text/MacRoman.h"

namespace fs = std::filesystem;
using vantiro::Resource;
using vantiro::ResourceFork;

namespace {

struct OpenFile {
  int16_t refNum = 0;
  std::string path;
  ResourceFork fork;
  bool writable = true;
  bool dirty = false;
  std::vector<uint8_t> onDisk;  // the bytes read, so that a write of the same bytes is skipped
  std::map<std::pair<ResType, int16_t>, Handle> handles;  // resources now in memory
};

struct Owner {
  int16_t refNum;
  ResType type;
  int16_t id;
};

// The Resource Manager is process-wide, like the plug-in's host: one request at a time.
std::vector<OpenFile> gChain;  // in opening order; searches run from the current file back
std::map<Handle, Owner> gOwners;
int16_t gCurrent = 0;
int16_t gNextRefNum = 1;
OSErr gResError = noErr;

OSErr Fail(OSErr err) { return gResError = err; }

OpenFile* FileFor(int16_t refNum) {
  auto it = std::find_if(gChain.begin(), gChain.end(),
                         [&](const OpenFile& f) { return f.refNum == refNum; });
  return it == gChain.end() ? nullptr : &*it;
}

// Larger than any resource file this system makes; anything bigger is not one of ours.
constexpr off_t kMaxResourceFileSize = 16 << 20;

// Reads a regular file of bounded size without ever blocking: a folder, pipe or device
// under the file's name (or a link to one) reads as a damaged file, never as a hang or an
// endless stream. Links to regular files are followed.
OSErr ReadWholeFile(const std::string& path, std::vector<uint8_t>* out) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? fnfErr : errno == EACCES ? permErr : ioErr;
  struct stat st {};
  OSErr err = fstat(fd, &st) != 0 ? ioErr : noErr;
  if (err == noErr && (!S_ISREG(st.st_mode) || st.st_size > kMaxResourceFileSize)) err = mapReadErr;
  if (err == noErr) {
    out->resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < out->size()) {
      const ssize_t n = read(fd, out->data() + done, out->size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        err = n < 0 ? ioErr : noErr;
        break;
      }
      done += static_cast<std::size_t>(n);
    }
    out->resize(done);
  }
  close(fd);
  return err;
}

// A replaced file keeps its permissions; a new one gets the usual ones under the umask.
mode_t FileMode(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Writes through a temporary file in the same folder, flushed and renamed over `path`.
OSErr WriteAtomically(const std::string& path, const std::vector<uint8_t>& bytes, bool exclusive) {
  const fs::path target(path);
  std::string temp = VantiroTemporaryPrefix(path);
  temp.append("XXXXXX");
  const int fd = mkstemp(temp.data());
  if (fd < 0) return errno == EACCES || errno == EROFS ? wrPermErr : ioErr;
  bool ok = fchmod(fd, FileMode(path)) == 0;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  // link() fails when the target exists, which gives creation its no-clobber rule.
  if (ok) ok = exclusive ? link(temp.c_str(), path.c_str()) == 0 : rename(temp.c_str(), path.c_str()) == 0;
  const int savedErrno = errno;
  unlink(temp.c_str());
  if (!ok) return exclusive && savedErrno == EEXIST ? dupFNErr : ioErr;
  if (const int dir = open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY); dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return noErr;
}

// Copies the contents of in-memory resources back into the file's model.
void CaptureHandles(OpenFile& file) {
  for (auto& [key, h] : file.handles)
    if (Resource* res = file.fork.Find(key.first, key.second))
      res->data.assign(*h, static_cast<std::size_t>(GetHandleSize(h)));
}

OSErr WriteFile(OpenFile& file) {
  if (!file.dirty) return noErr;
  if (!file.writable) return wrPermErr;
  CaptureHandles(file);
  std::vector<uint8_t> bytes = vantiro::SerializeResourceFork(file.fork);
  // The same bytes again would be a write for nothing, and a needless race with others.
  const OSErr err = bytes == file.onDisk ? noErr : WriteAtomically(file.path, bytes, false);
  if (err == noErr) file.dirty = false, file.onDisk = std::move(bytes);
  return err;
}

Handle LoadFrom(OpenFile& file, ResType type, int16_t id) {
  const auto key = std::make_pair(type, id);
  if (auto it = file.handles.find(key); it != file.handles.end()) return it->second;
  const Resource* res = file.fork.Find(type, id);
  if (res == nullptr) return nullptr;
  Handle h = NewHandle(static_cast<Size>(res->data.size()));
  if (h == nullptr) return nullptr;
  std::memcpy(*h, res->data.data(), res->data.size());
  file.handles.emplace(key, h);
  gOwners.emplace(h, Owner{file.refNum, type, id});
  return h;
}

// Ends the Resource Manager's ownership of `h`, keeping the data of the resource in its
// file's model. Returns the file, or nil when `h` is no resource.
OpenFile* Disown(Handle h, Owner* owner) {
  const auto it = gOwners.find(h);
  if (it == gOwners.end()) return nullptr;
  *owner = it->second;
  gOwners.erase(it);
  OpenFile* file = FileFor(owner->refNum);
  if (file == nullptr) return nullptr;
  if (Resource* res = file->fork.Find(owner->type, owner->id))
    res->data.assign(*h, static_cast<std::size_t>(GetHandleSize(h)));
  file->handles.erase({owner->type, owner->id});
  return file;
}

void SetTypeAndCreator(const std::string& path, OSType creator, OSType fileType) {
  // Linux files have no type and creator; extended attributes keep them where the file
  // system allows, and nothing depends on them being kept.
  const auto put = [&](const char* name, OSType code) {
    const char text[4] = {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
    setxattr(path.c_str(), name, text, sizeof text, 0);
  };
  put("user.vantiro.type", fileType);
  put("user.vantiro.creator", creator);
}

}  // namespace

void FSpCreateResFile(const FSSpec* fileSpec, OSType creator, OSType fileType, ScriptCode) {
  if (fileSpec == nullptr) return void(Fail(paramErr));
  const std::string path = VantiroPathFromFSSpec(*fileSpec);
  if (path.empty()) return void(Fail(dirNFErr));
  if (Fail(WriteAtomically(path, vantiro::SerializeResourceFork({}), true)) == noErr)
    SetTypeAndCreator(path, creator, fileType);
}

int16_t FSpOpenResFile(const FSSpec* fileSpec, int8_t permission) {
  if (fileSpec == nullptr) return Fail(paramErr), -1;
  const std::string path = VantiroPathFromFSSpec(*fileSpec);
  if (path.empty()) return Fail(dirNFErr), -1;
  for (auto& open : gChain)
    if (open.path == path) return gCurrent = open.refNum, Fail(noErr), open.refNum;

  std::vector<uint8_t> bytes;
  if (Fail(ReadWholeFile(path, &bytes)) != noErr) return -1;
  auto fork = vantiro::ParseResourceFork(bytes);
  if (!fork) return Fail(mapReadErr), -1;

  OpenFile file;
  file.refNum = gNextRefNum++;
  file.path = path;
  file.fork = std::move(*fork);
  file.writable = permission != fsRdPerm && access(path.c_str(), W_OK) == 0;
  file.onDisk = std::move(bytes);
  gChain.push_back(std::move(file));
  gCurrent = gChain.back().refNum;
  Fail(noErr);
  return gCurrent;
}

void CloseResFile(int16_t refNum) {
  OpenFile* file = FileFor(refNum);
  if (file == nullptr) return void(Fail(resFNotFound));
  Fail(WriteFile(*file));
  for (auto& [key, h] : file->handles) {
    gOwners.erase(h);
    DisposeHandle(h);
  }
  gChain.erase(gChain.begin() + (file - gChain.data()));
  if (gCurrent == refNum) gCurrent = gChain.empty() ? 0 : gChain.back().refNum;
}

void UseResFile(int16_t refNum) {
  if (FileFor(refNum) == nullptr) return void(Fail(resFNotFound));
  gCurrent = refNum;
  Fail(noErr);
}

int16_t CurResFile(void) { return gCurrent; }

void UpdateResFile(int16_t refNum) {
  OpenFile* file = FileFor(refNum);
  Fail(file == nullptr ? resFNotFound : WriteFile(*file));
}

OSErr ResError(void) { return gResError; }

Handle Get1Resource(ResType type, int16_t id) {
  OpenFile* file = FileFor(gCurrent);
  Handle h = file == nullptr ? nullptr : LoadFrom(*file, type, id);
  Fail(h == nullptr ? resNotFound : noErr);
  return h;
}

Handle GetResource(ResType type, int16_t id) {
  auto it = std::find_if(gChain.begin(), gChain.end(),
                         [](const OpenFile& f) { return f.refNum == gCurrent; });
  if (it != gChain.end()) {
    for (++it; it != gChain.begin();) {
      --it;
      if (Handle h = LoadFrom(*it, type, id)) return Fail(noErr), h;
    }
  }
  Fail(resNotFound);
  return nullptr;
}

void ReleaseResource(Handle resource) {
  Owner owner{};
  if (Disown(resource, &owner) == nullptr) return void(Fail(resNotFound));
  DisposeHandle(resource);
  Fail(noErr);
}

void DetachResource(Handle resource) {
  Owner owner{};
  Fail(Disown(resource, &owner) == nullptr ? resNotFound : noErr);
}

void RemoveResource(Handle resource) {
  Owner owner{};
  OpenFile* file = Disown(resource, &owner);
  if (file == nullptr) return void(Fail(rmvResFailed));
  auto& list = file->fork.resources;
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&](const Resource& r) { return r.type == owner.type && r.id == owner.id; }),
             list.end());
  file->dirty = true;
  Fail(noErr);
}

void AddResource(Handle data, ResType type, int16_t id, ConstStr255Param name) {
  OpenFile* file = FileFor(gCurrent);
  if (data == nullptr || file == nullptr || gOwners.count(data) != 0 || file->fork.Find(type, id))
    return void(Fail(addResFailed));
  Resource res;
  res.type = type;
  res.id = id;
  if (name != nullptr) res.name = std::string(vantiro::PascalChars(name));
  file->fork.resources.push_back(std::move(res));
  file->handles.emplace(std::make_pair(type, id), data);
  gOwners.emplace(data, Owner{file->refNum, type, id});
  file->dirty = true;
  Fail(noErr);
}

void GetIndString(Str255 theString, int16_t listID, int16_t index) {
  theString[0] = 0;
  Handle h = GetResource(FOUR_CHAR_CODE('S', 'T', 'R', '#'), listID);
  if (h == nullptr) return;
  const std::string data(*h, static_cast<std::size_t>(GetHandleSize(h)));
  if (auto entry = vantiro::StringListEntry(data, index)) vantiro::SetPascal(theString, *entry);
}

std::string VantiroTemporaryPrefix(const std::string& path) {
  const fs::path target(path);
  std::string prefix = target.parent_path().string();
  prefix.append("/.").append(target.filename().string()).append(".");
  return prefix;
}

void VantiroRemoveStaleTemporaries(const std::string& path) {
  const std::string prefix = VantiroTemporaryPrefix(path);
  const std::string folder = fs::path(path).parent_path().string();
  const std::string leafPrefix = prefix.substr(folder.size() + 1);
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    // mkstemp appends exactly six characters; anything else is not a temporary of ours.
    if (name.size() != leafPrefix.size() + 6 || name.substr(0, leafPrefix.size()) != leafPrefix) continue;
    const std::string full = folder + "/" + std::string(name);
    struct stat st {};
    if (lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid()) unlink(full.c_str());
  }
  closedir(dir);
}
