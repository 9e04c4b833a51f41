#include "app/SettingsStore.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "app/Commands.h"
#include "model/pascalFX.h"
#include "model/prefsloader.h"
#include "platform/files/Files.h"
#include "platform/memory/Memory.h"

namespace vantiro {
namespace {

// A configuration record from the platform allocator, released on scope exit.
class Config {
 public:
  Config() {
    pNewConfig(&p_);
    ResetConfig(p_, true);
  }
  ~Config() { pDestroyConfig(p_); }
  Config(const Config&) = delete;
  Config& operator=(const Config&) = delete;
  pluginDataPtr operator->() const { return p_; }
  pluginDataPtr get() const { return p_; }

 private:
  pluginDataPtr p_ = nullptr;
};

std::string PreferencesFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  return home != nullptr ? std::string(home) + "/.config" : std::string("$HOME/.config");
}

std::string SettingsFile() { return PreferencesFolder() + "/vloqa-Prefs"; }

// What keeps the settings file from being read or written, in the user's words; empty
// when nothing does (no file or no record yet is no problem).
std::string Problem(OSErr err, bool saving) {
  switch (err) {
    case noErr: case fnfErr: case resNotFound: return {};
    case dirNFErr: return "the folder does not exist";
    case permErr: return "the file may not be read (permission denied)";
    case wrPermErr: return "the file or its folder may not be written (permission denied)";
    case mapReadErr: return std::string("the file is no settings file") + (saving ? " and cannot be moved aside" : "");
    default: return std::string("error ").append(std::to_string(err));
  }
}

void Save(pluginDataPtr config) {
  EnsurePrefsFile();
  if (SaveConfig(config)) return;
  const std::string problem = Problem(PrefsFileError(), true);
  throw Failure("cannot save the settings in " + SettingsFile() + ": " + (problem.empty() ? "the file is missing" : problem));
}

const char* FormatName(int16_t mediaType) {
  switch (mediaType) {
    case 2: return "PAL (720 x 576)";
    case 3: return "HD (960 x 540)";
    default: return "NTSC (720 x 480)";
  }
}

std::string Hex(const RGBColor& c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", c.red >> 8, c.green >> 8, c.blue >> 8);
  return text;
}

// `state` follows the file's name: empty, or why the defaults are shown.
void Print(pluginDataPtr c, const std::string& state, std::ostream& out) {
  char line[160];
  out << "Settings file  " << SettingsFile() << state << "\n";
  std::snprintf(line, sizeof line, "Rectangle      left %.4f  right %.4f  top %.4f  bottom %.4f\n",
                c->startRel.left, c->startRel.right, c->startRel.top, c->startRel.bottom);
  out << line;
  std::snprintf(line, sizeof line, "Width          %+d %%\nHeight         %+d %%\n", c->sliders[0], c->sliders[1]);
  out << line;
  std::snprintf(line, sizeof line, "Rotation       %+d %% of a turn (%.1f degrees counter-clockwise)\n",
                c->sliders[2], c->sliders[2] * 3.6);
  out << line;
  out << "Background     " << Hex(c->colors[0]) << "\n"
      << "Format         " << FormatName(c->mediaType) << "\n";
}

uint16_t Channel(uint32_t rgb, int shift) { return static_cast<uint16_t>(((rgb >> shift) & 0xFF) * 257); }

}  // namespace

void WriteDemoSettings() {
  PrefsFileLock lock;
  Config c;
  c->startRel = relRect{0.12, 0.88, 0.10, 0.90};
  c->sliders[0] = -15;  // width
  c->sliders[1] = -15;  // height
  c->sliders[2] = 4;    // a little counter-clockwise
  c->colors[0] = RGBColor{Channel(0x1E3A5F, 16), Channel(0x1E3A5F, 8), Channel(0x1E3A5F, 0)};
  Save(c.get());
}

int RunSettings(const Args& args) {
  CommandLine cl(args, {"--rect", "--width", "--height", "--rotation", "--background", "--format"}, {"--reset"});
  cl.ExpectPositional(0, 0,
                      "vantiro settings [--rect LEFT,RIGHT,TOP,BOTTOM] [--width PCT] [--height PCT] "
                      "[--rotation PCT] [--background RRGGBB] [--format ntsc|pal|hd] [--reset]");
  // Read, changed and written back under the lock, so a parallel change is not lost;
  // only showing the settings leaves the folder as it was.
  const bool change = !args.empty();
  std::optional<PrefsFileLock> lock;
  if (change) lock.emplace();
  Config c;
  const bool saved = ReadConfig(c.get());
  const std::string problem = saved ? std::string() : Problem(PrefsFileError(), false);
  if (cl.Has("--reset")) ResetConfig(c.get(), true);
  if (auto rect = cl.Value("--rect")) {
    double v[4];
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
      const std::size_t comma = i < 3 ? rect->find(',', at) : rect->size();
      if (comma == std::string::npos) throw UsageError("--rect takes four fractions: LEFT,RIGHT,TOP,BOTTOM");
      v[i] = ParseFraction(rect->substr(at, comma - at), "--rect");
      at = comma + 1;
    }
    if (at <= rect->size()) throw UsageError("--rect takes four fractions: LEFT,RIGHT,TOP,BOTTOM");
    c->startRel = relRect{v[0], v[1], v[2], v[3]};
  }
  c->sliders[0] = static_cast<int16_t>(cl.Integer("--width", c->sliders[0], -100, 200));
  c->sliders[1] = static_cast<int16_t>(cl.Integer("--height", c->sliders[1], -100, 200));
  c->sliders[2] = static_cast<int16_t>(cl.Integer("--rotation", c->sliders[2], -100, 100));
  if (auto bg = cl.Value("--background")) {
    const uint32_t rgb = ParseColour(*bg);
    c->colors[0] = RGBColor{Channel(rgb, 16), Channel(rgb, 8), Channel(rgb, 0)};
  }
  if (auto format = cl.Value("--format")) {
    if (*format == "ntsc") c->mediaType = 1;
    else if (*format == "pal") c->mediaType = 2;
    else if (*format == "hd") c->mediaType = 3;
    else throw UsageError("--format takes ntsc, pal or hd");
  }
  if (change) Save(c.get());
  const std::string state = saved || change ? ""
                            : problem.empty() ? "  (nothing saved yet: defaults)"
                                              : "  (defaults shown: " + problem + ")";
  Print(c.get(), state, std::cout);
  return 0;
}

}  // namespace vantiro
