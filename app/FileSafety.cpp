#include "app/FileSafety.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <thread>

#include "app/CommandLine.h"
#include "app/media/MediaWriter.h"
#include "app/media/TempFiles.h"

namespace fs = std::filesystem;

namespace vantiro {
namespace {

bool Identify(const std::string& path, dev_t* device, ino_t* inode) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  *device = st.st_dev;
  *inode = st.st_ino;
  return true;
}

// The frame number of `name` when it is one of the names of the sequence `output`.
std::optional<int64_t> SequenceNumber(const std::string& output, const fs::path& name) {
  const fs::path out(output);
  const std::string leaf = name.filename().string(), stem = out.stem().string() + "-", ext = out.extension().string();
  if (leaf.size() <= stem.size() + ext.size() || !leaf.starts_with(stem) || !leaf.ends_with(ext)) return std::nullopt;
  const std::string digits = leaf.substr(stem.size(), leaf.size() - stem.size() - ext.size());
  if (digits.size() > 18 || digits.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const int64_t n = std::stoll(digits);
  if (fs::path(MediaWriter::SequenceName(output, n)).filename() != name.filename()) return std::nullopt;
  return n;
}

// Both names reach one file: links followed, same device and inode.
bool SameFile(const std::string& a, const std::string& b) {
  dev_t da, db;
  ino_t ia, ib;
  return Identify(a, &da, &ia) && Identify(b, &db, &ib) && da == db && ia == ib;
}

[[noreturn]] void RefuseName(const std::string& output, const std::string& input) {
  throw Failure("will not write " + output + ": it is the input " + input + "; choose another name for the output");
}

}  // namespace

void RefuseToReplaceInput(const std::string& input, const std::string& output) {
  if (SameFile(input, output)) RefuseName(output, input);
}

void RefuseToReplaceInput(const std::string& input, const std::string& output, int64_t from, int64_t frames) {
  RefuseToReplaceInput(input, output);
  dev_t device;
  ino_t inode;
  if (!MediaWriter::WritesSequence(output) || !Identify(input, &device, &inode)) return;
  // The input can only be one of the pictures if one of the names in that folder reaches it.
  const fs::path folder = fs::path(output).parent_path().empty() ? fs::path(".") : fs::path(output).parent_path();
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    dev_t d;
    ino_t i;
    if (!Identify(entry.path().string(), &d, &i) || d != device || i != inode) continue;
    const auto n = SequenceNumber(output, entry.path());
    if (n && *n >= from && (frames < 0 || *n < from + frames)) RefuseName(entry.path().string(), input);
  }
}

void HandleInterruptions() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal ignored on purpose (nohup, a background job) stays ignored.
    struct sigaction now {};
    if (sigaction(s, nullptr, &now) == 0 && now.sa_handler != SIG_IGN) sigaddset(&signals, s);
  }
  if (sigisemptyset(&signals)) return;
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  // An ordinary thread, not a handler: it may lock and free as it likes, and it waits for
  // a commit in progress to finish, so the outputs are either all in place or none.
  std::thread([signals] {
    int signal = 0;
    while (sigwait(&signals, &signal) != 0) {
    }
    temp::RemoveAllForExit();
    const char* line = isatty(STDERR_FILENO) ? "\r\033[Kvantiro: interrupted\n" : "vantiro: interrupted\n";
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, line, std::char_traits<char>::length(line));
    _exit(128 + signal);
  }).detach();
}

}  // namespace vantiro
