// Keeping the user's files whole: an output never replaces the input, and an interrupted
// run leaves no temporary file behind.
#pragma once

#include <cstdint>
#include <string>

namespace vantiro {

// Throws Failure when writing `output` would replace `input`.
void RefuseToReplaceInput(const std::string& input, const std::string& output);
// The same for a render, which may write a picture sequence instead. For a sequence
// every name it would write counts: the frames [from, from + frames) of the input, to
// the end of it when `frames` is negative.
void RefuseToReplaceInput(const std::string& input, const std::string& output, int64_t from, int64_t frames);

// From now on SIGINT, SIGTERM and SIGHUP, unless ignored already, remove every temporary
// file, print "vantiro: interrupted" and end the process with status 128 + the signal.
// Call first thing in main: the signals are blocked in every thread started afterwards
// (decoders, encoders, workers) and taken by one thread of our own.
void HandleInterruptions();

}  // namespace vantiro
