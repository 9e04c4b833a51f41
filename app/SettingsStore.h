// The plug-in's saved settings, read and written through the plug-in model's own code,
// so vantiro edits exactly the record the settings dialog edits.
#pragma once

#include <ostream>
#include <string>

namespace vantiro {

// Writes the demonstration setting into the current preferences folder.
void WriteDemoSettings();

}  // namespace vantiro
