// vantiro: a small video editor's host for the Vantiro plug-in.
#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Commands.h"
#include "app/FileSafety.h"
#include "app/PluginLoader.h"
#include "app/media/Ffmpeg.h"

namespace {

constexpr const char* kUsage =
    "Usage: vantiro [--bundle PATH] [--verbose] COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  info                        print the filter's description as a host sees it\n"
    "  render IN OUT [options]     render a clip through the filter\n"
    "      --from F                first frame of IN to render (default 0)\n"
    "      --frames N              how many frames (default: to the end)\n"
    "      --fade-in N             frames over which the effect fades in (default 0)\n"
    "      --fade-out N            frames over which the effect fades out (default 0)\n"
    "      --proxy                 a fast preview: low-quality frames below 260 lines, no sound\n"
    "      --size WxH              output size (default: the size of IN)\n"
    "    OUT: .mp4 .mov .mkv (H.264 and AAC), or .png (one picture for a picture IN,\n"
    "    otherwise OUT-0000.png, OUT-0001.png ... numbered by the frames of IN)\n"
    "  demo [--out DIR]            render the built-in test clip into DIR (default out/):\n"
    "                              demo.mp4 and demo-sheet.png; your settings are not touched\n"
    "  placeholder IN OUT.png [--at FRAME] [--size WxH]\n"
    "                              the filter's placeholder picture of a frame (default: middle)\n"
    "  configure [IN] [--at FRAME] [--format ntsc|pal|hd]\n"
    "                              open the filter's settings dialog on a frame of IN (default:\n"
    "                              the first; without IN, the built-in clip); OK saves the\n"
    "                              settings. --format sets the saved video format first\n"
    "  settings [options]          show the saved settings, or change them:\n"
    "      --rect L,R,T,B          the rectangle in fractions of the frame (0,1,0,1 is all)\n"
    "      --width PCT --height PCT   size change in percent (-100..200)\n"
    "      --rotation PCT          turn in percent of a full turn (-100..100), counter-clockwise\n"
    "      --background RRGGBB     colour around the picture\n"
    "      --format ntsc|pal|hd    the video format the settings dialog works in\n"
    "      --reset                 back to the defaults first\n"
    "\n"
    "Options:\n"
    "  --bundle PATH  use the plug-in bundle at PATH instead of the installed one\n"
    "  --verbose      also show FFmpeg's own messages (they are hidden otherwise)\n"
    "  --             end of the options: the names after it may start with '-'\n"
    "  --help         show this help\n"
    "  --version      show the version\n"
    "\n"
    "An output is never written over the input, and is put in place only when complete.\n";

// The command's own arguments, without the options every command takes.
vantiro::Args CommandArgs(std::vector<std::string>::const_iterator begin, std::vector<std::string>::const_iterator end,
                          bool* verbose, bool* help) {
  vantiro::Args args;
  bool names = false;  // after "--" nothing is an option
  for (auto it = begin; it != end; ++it) {
    if (!names && *it == "--verbose") *verbose = true;
    else if (!names && (*it == "--help" || *it == "-h")) *help = true;
    else args.push_back(*it), names = names || *it == "--";
  }
  return args;
}

}  // namespace

int main(int argc, char** argv) {
  vantiro::HandleInterruptions();  // before any thread starts
  const std::vector<std::string> all(argv + 1, argv + argc);
  std::string bundle = vantiro::DefaultBundlePath();
  bool verbose = false, help = false;
  std::size_t i = 0;
  try {
    for (; i < all.size() && all[i].starts_with("-"); ++i) {
      if (all[i] == "--help" || all[i] == "-h") return std::cout << kUsage, 0;
      if (all[i] == "--version") return std::cout << "vantiro " << VANTIRO_VERSION << "\n", 0;
      if (all[i] == "--verbose") {
        verbose = true;
        continue;
      }
      if (all[i] != "--bundle") throw vantiro::UsageError("unknown option '" + all[i] + "'");
      if (++i >= all.size()) throw vantiro::UsageError("--bundle needs a path");
      bundle = all[i];
    }
    if (i >= all.size()) throw vantiro::UsageError("no command given");
    const std::string command = all[i];
    const vantiro::Args args = CommandArgs(all.begin() + static_cast<long>(i) + 1, all.end(), &verbose, &help);
    if (help) return std::cout << kUsage, 0;
    vantiro::ff::SetVerbose(verbose);
    if (command == "info") return vantiro::RunInfo(args, bundle);
    if (command == "render") return vantiro::RunRender(args, bundle);
    if (command == "demo") return vantiro::RunDemo(args, bundle);
    if (command == "placeholder") return vantiro::RunPlaceholder(args, bundle);
    if (command == "settings") return vantiro::RunSettings(args);
    if (command == "configure") return vantiro::RunConfigure(args, bundle);
    throw vantiro::UsageError("unknown command '" + command + "'");
  } catch (const vantiro::UsageError& e) {
    std::cerr << "vantiro: " << e.what() << "\nTry 'vantiro --help'.\n";
    return 2;
  } catch (const vantiro::Failure& e) {
    std::cerr << "vantiro: error: " << e.what() << "\n";
    return 1;
  }
}
