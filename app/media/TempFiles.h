// The temporary files of this process. Everything a run writes goes first to a hidden
// name beside its target and is moved into place only when the whole output is ready;
// the registry kept here lets an interruption remove whatever is still unfinished.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vantiro::temp {

// A new empty file beside `target` (".name.partial-XXXXXX.ext"), registered; "" with
// `error` set when the folder is not writable.
std::string CreateBeside(const std::string& target, std::string* error);

// Runs `open`, which opens the registered file `path` for writing (creating it again if it
// is gone), under the registry's lock: an interruption that has begun removing files holds
// that lock for good, so the file cannot reappear after it was removed.
bool OpenRegistered(const std::string& path, const std::function<bool()>& open);

// Registers a file or folder made elsewhere, so an interruption removes it too.
void Register(const std::string& path);

// Removes a registered file or folder and forgets it.
void Remove(const std::string& path);

// Moves every temporary file onto its target, all or none: when one move fails the
// targets already replaced get their earlier files back, and every temporary file is
// removed. The moved files are no longer temporary.
using Move = std::pair<std::string, std::string>;  // temporary, target
bool Commit(const std::vector<Move>& moves, std::string* error);

// Removes everything registered and keeps the registry locked for good, so nothing new
// is made or moved into place while the process ends.
void RemoveAllForExit();

}  // namespace vantiro::temp
