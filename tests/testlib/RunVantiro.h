// Runs the built vantiro program and collects its exit status and output.
#pragma once

#include <string>

namespace vantiro::test {

struct ProgramResult {
  int status = -1;
  std::string out;
  std::string err;
};

// `args` is passed through the shell; quote paths with spaces.
ProgramResult RunVantiro(const std::string& args);

}  // namespace vantiro::test
