#pragma once

// The three standard descriptors as a program may find them: closed by its
// parent ("2>&-"), or leading to a reader that goes away (a pipe into head).

#include <functional>
#include <string>
#include <vector>

namespace morvick::platform {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, so that no
// file the program opens later (a journal, a settings file) takes one of those
// numbers and receives the program's messages. Call before anything is opened.
// Returns the set of those that were closed: bit n for descriptor n.
unsigned OpenStandardDescriptors();

// The program's arguments as UTF-8 texts: argv as it is on Linux; on Windows
// the wide command line, so that names outside the ANSI code page arrive whole.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Makes the standard streams carry UTF-8 byte for byte. Nothing to do on
// Linux; on Windows the console's code pages become UTF-8 and the streams
// binary, so that "\n" is not written as "\r\n" into a JSON document.
void UseUtf8Streams();

// A write to a pipe whose reader has gone fails with EPIPE instead of ending the
// process, so that the program can finish what it is doing and say so.
void IgnoreBrokenPipe();

// True when the descriptor is a terminal.
bool IsTerminal(int fd);

// Reads one line (its newline included) from `fd` a byte at a time, looking at
// `stop` every tenth of a second, so that a Ctrl-C arriving just before the read
// cannot leave a question waiting for ever. Stops at end of input, on an error
// or when `stop` returns true; returns what was read.
std::string ReadLineUnless(int fd, const std::function<bool()>& stop);

}  // namespace morvick::platform
