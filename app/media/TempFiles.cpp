#include "app/media/TempFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>

namespace fs = std::filesystem;

namespace vantiro::temp {
namespace {

// Never destroyed: the interruption thread may use it while the process exits.
struct Registry {
  std::mutex mutex;
  std::set<std::string> paths;
};
Registry& registry() {
  static auto* r = new Registry;
  return *r;
}

void Erase(const std::string& path) {
  std::error_code ec;
  fs::remove_all(path, ec);
}

// Gives the file at `path`, if there is one, a second hidden name from which a failed
// commit puts it back. A hard link keeps `path` in place meanwhile; where the file
// system has none, the file is moved aside instead.
// "<folder of target>/.<leaf>". Appended piece by piece: GCC 12 at -O3 sees a false overlap
// in "." + std::string.
std::string HiddenBeside(const std::string& target, const std::string& leaf) {
  const fs::path folder = fs::path(target).parent_path();
  std::string name = (folder.empty() ? fs::path(".") : folder).string();
  return name.append("/.").append(leaf);
}

bool Keep(const std::string& path, std::string* kept) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (S_ISDIR(st.st_mode)) return errno = EISDIR, false;
  const fs::path p(path);
  static int counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = HiddenBeside(path, p.filename().string())
                                 .append(".keep-")
                                 .append(std::to_string(getpid()))
                                 .append("-")
                                 .append(std::to_string(++counter));
    if (link(path.c_str(), name.c_str()) == 0) return *kept = name, true;
    if (errno == EEXIST) continue;
    if (access(name.c_str(), F_OK) != 0 && std::rename(path.c_str(), name.c_str()) == 0) return *kept = name, true;
    return false;
  }
  return false;
}

}  // namespace

std::string CreateBeside(const std::string& target, std::string* error) {
  const fs::path t(target);
  const std::string ext = t.extension().string();
  std::string name = HiddenBeside(target, t.stem().string()).append(".partial-XXXXXX").append(ext);
  Registry& r = registry();
  const std::lock_guard lock(r.mutex);
  const int fd = mkstemps(name.data(), static_cast<int>(ext.size()));
  if (fd < 0) {
    *error = "cannot write beside " + target + ": " + std::strerror(errno);
    return {};
  }
  r.paths.insert(name);
  // Temporary files are private; the finished file gets the usual permissions.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);
  return name;
}

void Register(const std::string& path) {
  Registry& r = registry();
  const std::lock_guard lock(r.mutex);
  r.paths.insert(path);
}

void Remove(const std::string& path) {
  Registry& r = registry();
  const std::lock_guard lock(r.mutex);
  Erase(path);
  r.paths.erase(path);
}

bool Commit(const std::vector<Move>& moves, std::string* error) {
  Registry& r = registry();
  const std::lock_guard lock(r.mutex);
  std::vector<std::string> kept(moves.size());
  std::size_t done = 0;
  while (done < moves.size()) {
    const auto& [from, to] = moves[done];
    // One file is replaced atomically; several need the earlier ones back on a failure.
    if (moves.size() > 1 && !Keep(to, &kept[done])) break;
    if (std::rename(from.c_str(), to.c_str()) != 0) break;
    ++done;
  }
  const bool ok = done == moves.size();
  if (!ok) *error = "cannot write " + moves[done].second + ": " + std::strerror(errno);
  for (std::size_t i = 0; i < moves.size(); ++i) {
    const auto& [from, to] = moves[i];
    r.paths.erase(from);
    if (ok) {
      if (!kept[i].empty()) std::remove(kept[i].c_str());
      continue;
    }
    if (i >= done) std::remove(from.c_str());
    if (kept[i].empty()) {
      if (i < done) std::remove(to.c_str());
    } else if (i < done || access(to.c_str(), F_OK) != 0) {
      std::rename(kept[i].c_str(), to.c_str());
    } else {
      std::remove(kept[i].c_str());
    }
  }
  return ok;
}

bool OpenRegistered(const std::string& path, const std::function<bool()>& open) {
  Registry& r = registry();
  const std::lock_guard lock(r.mutex);
  return r.paths.count(path) != 0 && open();
}

void RemoveAllForExit() {
  Registry& r = registry();
  r.mutex.lock();  // held until the process is gone
  for (const auto& path : r.paths) Erase(path);
  r.paths.clear();
}

}  // namespace vantiro::temp
