#pragma once

// morvick-cli: plan, move, undo and settings on the command line.

namespace morvick::cli {

// Exit statuses.
inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;     // refused or invalid input; nothing changed
inline constexpr int kExitUsage = 2;       // the command line itself is wrong
inline constexpr int kExitSomeFailed = 3;  // a move or undo in which some entries failed
inline constexpr int kExitInterrupted = 130;

int RunCli(int argc, char** argv);

}  // namespace morvick::cli
