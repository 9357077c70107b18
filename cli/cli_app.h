#pragma once

// morvick-cli: plan, move, copy, verify, undo and settings on the command line.

namespace morvick::cli {

// Exit statuses.
inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;     // refused or invalid input; nothing changed
inline constexpr int kExitUsage = 2;       // the command line itself is wrong
inline constexpr int kExitSomeFailed = 3;  // some entries failed, or verify found differences
// The plan, the settings or a message could not be written (a closed pipe, a
// full disk). A move stops after the entry in progress, its journal undoable.
inline constexpr int kExitOutputFailed = 4;
inline constexpr int kExitInterrupted = 130;

// The exit statuses as --help lists them.
inline constexpr const char* kExitStatusHelp =
    "Exit status: 0 done; 1 refused or invalid input, nothing changed; 2 usage error (also a "
    "missing --settings or --file); 3 a move, undo or copy in which some entries failed, or a "
    "verify that found differences; 4 output could not be written (a move stops after the entry in "
    "progress); 130 interrupted.";

int RunCli(int argc, char** argv);

}  // namespace morvick::cli
