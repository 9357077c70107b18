#pragma once

// Every write of morvick-cli to its standard output and standard error goes
// through here, so that a reader that went away (a pipe into head), a full
// disk or a closed stream is noticed: the command ends with its own status
// instead of reporting success over output nobody received.

#include <cstdio>
#include <string_view>

namespace morvick::cli {

// Writes `text` and flushes the stream. False, and remembered, on failure.
bool WriteOutput(std::FILE* stream, std::string_view text);

// Some write has failed since the program started.
bool OutputFailed();

// Standard output was closed when the program started (">&-"): what it would
// have printed is lost, so every write to it fails. Standard error closed the
// same way only discards the messages, as the user asked.
void SetStandardOutputClosed(bool closed);

}  // namespace morvick::cli
