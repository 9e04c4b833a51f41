#include "tests/testlib/RunVantiro.h"

#include <sys/wait.h>

#include <cstdlib>

#include "tests/testlib/ScratchFolder.h"

namespace vantiro::test {

ProgramResult RunVantiro(const std::string& args) {
  ScratchFolder io;
  const std::string cmd = std::string(VANTIRO_TEST_BIN) + "/vantiro " + args + " >" + (io / "out").string() +
                          " 2>" + (io / "err").string() + " </dev/null";
  const int raw = std::system(cmd.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(io / "out"), ReadFile(io / "err")};
}

}  // namespace vantiro::test
