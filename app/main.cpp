// vantiro: a small video editor's host for the Vantiro plug-in.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/InfoCommand.h"
#include "app/PluginLoader.h"

namespace {

constexpr const char* kUsage =
    "Usage: vantiro [--bundle PATH] COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  info        print the filter's description as the plug-in gives it to a host\n"
    "\n"
    "Options:\n"
    "  --bundle PATH  use the plug-in bundle at PATH instead of the installed one\n"
    "  --help         show this help\n"
    "  --version      show the version\n";

int Usage(const std::string& problem) {
  std::cerr << "vantiro: " << problem << "\n" << "Try 'vantiro --help'.\n";
  return 2;
}

int Fail(const std::string& problem) {
  std::cerr << "vantiro: error: " << problem << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string bundle = vantiro::DefaultBundlePath();
  std::string command;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (a == "--version") {
      std::cout << "vantiro " << VANTIRO_VERSION << "\n";
      return 0;
    }
    if (a == "--bundle") {
      if (i + 1 >= args.size()) return Usage("--bundle needs a path");
      bundle = args[++i];
    } else if (command.empty() && !a.starts_with("-")) {
      command = a;
    } else if (command.empty()) {
      return Usage("unknown option '" + a + "'");
    } else {
      rest.push_back(a);
    }
  }
  if (command.empty()) return Usage("no command given");
  if (command != "info") return Usage("unknown command '" + command + "'");
  if (!rest.empty()) return Usage("'info' takes no arguments");

  std::string error;
  auto plugin = vantiro::Plugin::Load(bundle, &error);
  if (!plugin) return Fail(error);
  const int32_t result = vantiro::DescribePlugin(*plugin, std::cout);
  if (result != kPluginOK)
    return Fail("the plug-in refused to describe itself (result " + std::to_string(result) + ")");
  return 0;
}
