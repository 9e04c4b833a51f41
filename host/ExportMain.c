/* The bundle's exported entry point. The host looks the plug-in up by the symbol `main`,
 * which C++ cannot declare with C linkage, so it lives here as a one-line trampoline. */
#include "host/PlugEntry.h"

#pragma GCC diagnostic ignored "-Wmain"

__attribute__((visibility("default"))) int main(int which, PluginParams* params) {
  return PlugMain(which, params);
}
