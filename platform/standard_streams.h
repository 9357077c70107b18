#pragma once

// The three standard descriptors as a program may find them: closed by its
// parent ("2>&-"), or leading to a reader that goes away (a pipe into head).

namespace morvick::platform {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, so that no
// file the program opens later (a journal, a settings file) takes one of those
// numbers and receives the program's messages. Call before anything is opened.
// Returns the set of those that were closed: bit n for descriptor n.
unsigned OpenStandardDescriptors();

// A write to a pipe whose reader has gone fails with EPIPE instead of ending the
// process, so that the program can finish what it is doing and say so.
void IgnoreBrokenPipe();

}  // namespace morvick::platform
