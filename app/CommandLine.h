// Command-line parsing for vantiro: positional arguments, options with values, strict
// numbers. Bad usage throws UsageError (exit status 2); failures throw Failure (1).
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantiro {

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class CommandLine {
 public:
  // `valued` names the options that take a value, `flags` those that do not. After "--"
  // every argument is positional.
  CommandLine(const std::vector<std::string>& args, const std::vector<std::string>& valued,
              const std::vector<std::string>& flags);

  const std::vector<std::string>& positional() const { return positional_; }
  void ExpectPositional(std::size_t min, std::size_t max, const std::string& usage) const;
  bool Has(const std::string& option) const { return values_.count(option) != 0; }
  std::optional<std::string> Value(const std::string& option) const;

  int64_t Integer(const std::string& option, int64_t fallback, int64_t min, int64_t max) const;

 private:
  std::vector<std::string> positional_;
  std::map<std::string, std::string> values_;
};

int64_t ParseInteger(const std::string& text, const std::string& what, int64_t min, int64_t max);
double ParseFraction(const std::string& text, const std::string& what);
// "640x360" → width and height.
std::pair<int, int> ParseSize(const std::string& text);
// "RRGGBB" (with or without a leading '#') → 0xRRGGBB.
uint32_t ParseColour(const std::string& text);

}  // namespace vantiro
