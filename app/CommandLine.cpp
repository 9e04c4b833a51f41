#include "app/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace vantiro {

CommandLine::CommandLine(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                         const std::vector<std::string>& flags) {
  const auto known = [](const std::vector<std::string>& list, const std::string& a) {
    return std::find(list.begin(), list.end(), a) != list.end();
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {  // everything after it is a name, even one that starts with a dash
      positional_.insert(positional_.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    }
    if (a.size() < 2 || a[0] != '-' || (a[1] >= '0' && a[1] <= '9')) {
      positional_.push_back(a);
    } else if (known(valued, a)) {
      if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
      values_[a] = args[++i];
    } else if (known(flags, a)) {
      values_[a] = "";
    } else {
      throw UsageError("unknown option '" + a + "'");
    }
  }
}

void CommandLine::ExpectPositional(std::size_t min, std::size_t max, const std::string& usage) const {
  if (positional_.size() < min || positional_.size() > max) throw UsageError("usage: " + usage);
}

std::optional<std::string> CommandLine::Value(const std::string& option) const {
  const auto it = values_.find(option);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

int64_t CommandLine::Integer(const std::string& option, int64_t fallback, int64_t min, int64_t max) const {
  const auto v = Value(option);
  return v ? ParseInteger(*v, option, min, max) : fallback;
}

int64_t ParseInteger(const std::string& text, const std::string& what, int64_t min, int64_t max) {
  int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data() + (text.starts_with("+") ? 1 : 0), end, value);
  if (ec != std::errc() || ptr != end || text.empty())
    throw UsageError(what + " takes a whole number, not '" + text + "'");
  if (value < min || value > max)
    throw UsageError(what + " must lie between " + std::to_string(min) + " and " + std::to_string(max));
  return value;
}

double ParseFraction(const std::string& text, const std::string& what) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v))
    throw UsageError(what + " takes a number, not '" + text + "'");
  return v;
}

std::pair<int, int> ParseSize(const std::string& text) {
  const auto x = text.find('x');
  if (x == std::string::npos) throw UsageError("--size takes WIDTHxHEIGHT, for example 1280x720");
  return {static_cast<int>(ParseInteger(text.substr(0, x), "--size width", 2, 16384)),
          static_cast<int>(ParseInteger(text.substr(x + 1), "--size height", 2, 16384))};
}

uint32_t ParseColour(const std::string& text) {
  const std::string hex = text.starts_with("#") ? text.substr(1) : text;
  if (hex.size() != 6 || !std::all_of(hex.begin(), hex.end(), [](unsigned char c) { return std::isxdigit(c); }))
    throw UsageError("--background takes a colour as RRGGBB, for example 1E3A5F");
  return static_cast<uint32_t>(std::strtoul(hex.c_str(), nullptr, 16));
}

}  // namespace vantiro
