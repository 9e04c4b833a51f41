// Runs the built vantiro program and collects its exit status and output.
#pragma once

#include <algorithm>
#include <string>

namespace vantiro::test {

struct ProgramResult {
  int status = -1;
  std::string out;
  std::string err;
};

// `args` is passed through the shell; quote paths with spaces.
ProgramResult RunVantiro(const std::string& args);

inline int Lines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

}  // namespace vantiro::test
