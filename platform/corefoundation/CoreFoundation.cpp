#include "platform/corefoundation/CoreFoundation.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <vector>

#include "platform/corefoundation/CFRuntime.h"
#include "platform/files/Files.h"
#include "platform/resources/ResourceManager.h"
#include "platform/text/MacRoman.h"

namespace fs = std::filesystem;


struct __CFString : __CFType {
  std::string utf8;
};

struct __CFURL : __CFType {
  std::string path;
};

struct __CFBundle : __CFType {
  std::string path;
  std::string executable;
};

namespace {

template <typename T>
T* Make() {
  return new T();
}

CFStringRef MakeString(std::string utf8) {
  auto* s = Make<__CFString>();
  s->utf8 = std::move(utf8);
  return s;
}

// The value of <key>key</key><string>value</string> in a property list, or "".
std::string PlistString(const std::string& plist, const std::string& key) {
  const std::string keyTag = "<key>" + key + "</key>";
  auto pos = plist.find(keyTag);
  if (pos == std::string::npos) return {};
  pos = plist.find("<string>", pos + keyTag.size());
  if (pos == std::string::npos) return {};
  pos += 8;
  const auto end = plist.find("</string>", pos);
  return end == std::string::npos ? std::string{} : plist.substr(pos, end - pos);
}

std::mutex gBundleMutex;
std::vector<CFBundleRef>& RetiredBundles() {
  static auto* retired = new std::vector<CFBundleRef>();
  return *retired;
}
std::map<std::string, CFBundleRef>& BundlesById() {
  static auto* bundles = new std::map<std::string, CFBundleRef>();
  return *bundles;
}

}  // namespace

namespace {
const __CFType* Object(CFTypeRef cf) { return static_cast<const __CFType*>(cf); }
}  // namespace

CFTypeRef CFRetain(CFTypeRef cf) {
  if (cf != nullptr) Object(cf)->refCount.fetch_add(1);
  return cf;
}

void CFRelease(CFTypeRef cf) {
  if (cf == nullptr || Object(cf)->immortal) return;
  if (Object(cf)->refCount.fetch_sub(1) == 1) delete Object(cf);
}


CFStringRef CFStringCreateWithPascalString(CFAllocatorRef, ConstStr255Param text,
                                           CFStringEncoding encoding) {
  if (text == nullptr) return nullptr;
  const auto chars = vantiro::PascalChars(text);
  return MakeString(encoding == kCFStringEncodingUTF8 ? std::string(chars)
                                                      : vantiro::MacRomanToUtf8(chars));
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* text, CFStringEncoding encoding) {
  if (text == nullptr) return nullptr;
  return MakeString(encoding == kCFStringEncodingMacRoman ? vantiro::MacRomanToUtf8(text)
                                                          : std::string(text));
}

CFStringRef VantiroConstantString(const char* utf8) {
  static std::mutex mutex;
  static auto* table = new std::map<std::string, CFStringRef>();
  std::lock_guard lock(mutex);
  auto [it, added] = table->try_emplace(utf8, nullptr);
  if (added) {
    auto* s = Make<__CFString>();
    s->utf8 = utf8;
    s->immortal = true;
    it->second = s;
  }
  return it->second;
}

std::string CFStringToUtf8(CFStringRef s) { return s == nullptr ? std::string{} : s->utf8; }

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef path) {
  if (path == nullptr) return nullptr;
  auto* url = Make<__CFURL>();
  url->path = path->utf8;
  return url;
}

std::string CFURLToPath(CFURLRef url) { return url == nullptr ? std::string{} : url->path; }

CFBundleRef VantiroRegisterBundle(const char* bundlePath) {
  if (bundlePath == nullptr) return nullptr;
  std::error_code ec;
  const fs::path root = fs::weakly_canonical(bundlePath, ec);
  std::ifstream in(root / "Contents" / "Info.plist");
  if (!in) return nullptr;
  std::stringstream text;
  text << in.rdbuf();
  const std::string id = PlistString(text.str(), "CFBundleIdentifier");
  if (id.empty()) return nullptr;

  std::lock_guard lock(gBundleMutex);
  auto& bundles = BundlesById();
  // The same folder registers once; another folder with the same identifier takes over
  // (a plug-in loaded from a new place), while references to the old one stay valid.
  if (auto it = bundles.find(id); it != bundles.end() && it->second->path == root.string())
    return it->second;
  auto* bundle = Make<__CFBundle>();
  bundle->path = root.string();
  bundle->executable = PlistString(text.str(), "CFBundleExecutable");
  bundle->immortal = true;  // registered bundles live as long as the process
  // A bundle replaced by a newer registration stays reachable: callers may still hold it.
  if (auto it = bundles.find(id); it != bundles.end()) RetiredBundles().push_back(it->second);
  bundles[id] = bundle;
  return bundle;
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef identifier) {
  if (identifier == nullptr) return nullptr;
  std::lock_guard lock(gBundleMutex);
  const auto& bundles = BundlesById();
  const auto it = bundles.find(identifier->utf8);
  return it == bundles.end() ? nullptr : it->second;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
  if (bundle == nullptr) return nullptr;
  auto* url = Make<__CFURL>();
  url->path = bundle->path;
  return url;
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef name, CFStringRef type,
                                 CFStringRef subDir) {
  if (bundle == nullptr || name == nullptr) return nullptr;
  fs::path file = fs::path(bundle->path) / "Contents" / "Resources";
  if (subDir != nullptr && !subDir->utf8.empty()) file /= subDir->utf8;
  std::string leaf = name->utf8;
  if (type != nullptr && !type->utf8.empty()) leaf += "." + type->utf8;
  file /= leaf;
  std::error_code ec;
  if (!fs::exists(file, ec)) return nullptr;
  auto* url = Make<__CFURL>();
  url->path = file.string();
  return url;
}

int16_t CFBundleOpenBundleResourceMap(CFBundleRef bundle) {
  if (bundle == nullptr || bundle->executable.empty()) return -1;
  const fs::path file =
      fs::path(bundle->path) / "Contents" / "Resources" / (bundle->executable + ".rsrc");
  FSSpec fileSpec;
  if (VantiroMakeFSSpecFromPath(file.c_str(), &fileSpec) != noErr) return -1;
  return FSpOpenResFile(&fileSpec, fsRdPerm);
}

void CFBundleCloseBundleResourceMap(CFBundleRef, int16_t refNum) { CloseResFile(refNum); }

CFURLRef CFURLCreateFromFSRef(CFAllocatorRef, const FSRef* ref) {
  if (ref == nullptr) return nullptr;
  const std::string path = VantiroPathFromFSRef(*ref);
  if (path.empty()) return nullptr;
  auto* url = Make<__CFURL>();
  url->path = path;
  return url;
}

Boolean CFURLGetFSRef(CFURLRef url, FSRef* ref) {
  if (url == nullptr || ref == nullptr) return false;
  return FSPathMakeRef(reinterpret_cast<const uint8_t*>(url->path.c_str()), ref, nullptr) == noErr;
}
