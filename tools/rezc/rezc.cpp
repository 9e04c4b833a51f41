// rezc: compiles a resource description (text, UTF-8) into a resource file.
//
//   # comment
//   STR# 128 "Slider labels"      starts a string list: id and resource name
//   "Width"                       one entry per quoted line; \" and \\ escape
//
// Texts are stored in Mac Roman; a character Mac Roman lacks is an error.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/resources/ResourceFork.h"
#include "platform/text/MacRoman.h"

namespace {

struct List {
  int id = 0;
  std::string name;
  std::vector<std::string> entries;
  int line = 0;
};

[[noreturn]] void Fail(const std::string& where, int line, const std::string& what) {
  std::cerr << where << ":" << line << ": " << what << "\n";
  std::exit(1);
}

// Reads a quoted string starting at `at`; returns its text and moves `at` past it.
std::optional<std::string> Quoted(const std::string& s, std::size_t& at) {
  if (at >= s.size() || s[at] != '"') return std::nullopt;
  std::string out;
  for (++at; at < s.size(); ++at) {
    if (s[at] == '"') return ++at, out;
    if (s[at] == '\\' && at + 1 < s.size()) ++at;
    out += s[at];
  }
  return std::nullopt;
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

std::string ToMacRoman(const std::string& utf8, const std::string& file, int line) {
  auto roman = vantiro::Utf8ToMacRoman(utf8);
  if (!roman) Fail(file, line, "text has a character that Mac Roman cannot hold: " + utf8);
  if (roman->size() > 255) Fail(file, line, "text longer than 255 characters");
  return *roman;
}

std::vector<List> Parse(const std::string& file) {
  std::ifstream in(file);
  if (!in) Fail(file, 0, "cannot read");
  std::vector<List> lists;
  std::string raw;
  for (int line = 1; std::getline(in, raw); ++line) {
    const std::string text = Trim(raw);
    if (text.empty() || text[0] == '#') continue;
    if (text.rfind("STR#", 0) == 0) {
      std::istringstream head(text.substr(4));
      List list;
      list.line = line;
      if (!(head >> list.id) || list.id < -32768 || list.id > 32767) Fail(file, line, "bad list id");
      std::string rest = Trim(text.substr(4 + static_cast<std::size_t>(head.tellg())));
      std::size_t at = 0;
      auto name = Quoted(rest, at);
      if (!name || !Trim(rest.substr(at)).empty()) Fail(file, line, "expected STR# <id> \"<name>\"");
      list.name = ToMacRoman(*name, file, line);
      lists.push_back(list);
      continue;
    }
    std::size_t at = 0;
    auto entry = Quoted(text, at);
    if (!entry || !Trim(text.substr(at)).empty()) Fail(file, line, "expected a quoted string");
    if (lists.empty()) Fail(file, line, "string outside a STR# list");
    lists.back().entries.push_back(ToMacRoman(*entry, file, line));
  }
  return lists;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: rezc SOURCE.txt OUTPUT.rsrc\n";
    return 2;
  }
  vantiro::ResourceFork fork;
  for (const List& list : Parse(argv[1])) {
    if (fork.Find(FOUR_CHAR_CODE('S', 'T', 'R', '#'), static_cast<int16_t>(list.id)))
      Fail(argv[1], list.line, "list id used twice");
    vantiro::Resource res;
    res.type = FOUR_CHAR_CODE('S', 'T', 'R', '#');
    res.id = static_cast<int16_t>(list.id);
    res.name = list.name;
    res.data = vantiro::MakeStringList(list.entries);
    fork.resources.push_back(std::move(res));
  }
  const auto bytes = vantiro::SerializeResourceFork(fork);
  const std::string temp = std::string(argv[2]) + ".tmp";
  std::ofstream out(temp, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out || std::rename(temp.c_str(), argv[2]) != 0) {
    std::remove(temp.c_str());
    std::cerr << "rezc: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
