// write_settings_record FOLDER: saves a known configuration with this build's own code
// into FOLDER/vloqa-Prefs, as the plug-in would.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "model/pascalFX.h"
#include "model/prefsloader.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_settings_record FOLDER\n");
    return 2;
  }
  // The preferences folder must be named by an absolute path.
  setenv("XDG_CONFIG_HOME", std::filesystem::absolute(argv[1]).c_str(), 1);
  pluginDataPtr config = nullptr;
  pNewConfig(&config);
  ResetConfig(config, true);
  config->sliders[0] = 42;
  config->mediaType = 3;
  EnsurePrefsFile();
  const bool saved = SaveConfig(config);
  pDestroyConfig(config);
  return saved ? 0 : 1;
}
