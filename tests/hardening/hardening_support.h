#pragma once

#include "support/temp_dir.h"

// What the hardening tests share: the size they run at, the summary line each
// case prints, a runner for code that must meet file permissions as an
// ordinary user would, tree building and removal that work at any depth, and
// a runner for morvick-cli that can be killed at any moment.

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace morvick::testing {

// MORVICK_HARDENING_SCALE=full runs the full sizes (make hardening); anything
// else, or nothing, the reduced sizes that ctest runs.
bool FullScale();
// `reduced` under ctest, `full` with MORVICK_HARDENING_SCALE=full.
std::int64_t Scaled(std::int64_t reduced, std::int64_t full);

// Prints one summary line: "[hardening] <name>: injected <what>; <outcome>".
void Summary(const std::string& name, const std::string& injected, const std::string& outcome);

// Runs `body` in a child process as the user nobody when the tests run as
// root (root passes every permission check, so read-only and unreadable
// entries would not stop it), and returns what it returned; `tree` is given
// to nobody first. Without root, `body` runs here. "skip" when no child could
// be made to run as nobody.
std::string RunAsOrdinaryUser(const std::string& tree, const std::function<std::string()>& body);

// Gives every item below `root` (and `root`) back to root after
// RunAsOrdinaryUser; permission bits stay as they are.
void ReclaimTree(const std::string& root);

// Removes a tree of any depth, descriptor by descriptor.
void RemoveTree(const std::string& root);

// Raises the soft limit of open descriptors to the hard limit (deep trees
// keep one open per level).
void RaiseDescriptorLimit();

// Makes `count` files named <prefix><number> in `folder` (which exists), each
// of `size` bytes of content that depends on its number.
void MakeNumberedFiles(const std::string& folder, const std::string& prefix, std::int64_t count,
                       std::int64_t size);

// morvick-cli run with XDG_STATE_HOME and XDG_CONFIG_HOME below `home`,
// stdin from /dev/null, stdout discarded, stderr kept.
struct CliProcess {
  pid_t pid = -1;
  std::string err_path;
};
CliProcess StartCli(const std::vector<std::string>& args, const std::string& home);
// Waits for it: the exit status, or 128 + the signal that ended it; `err`
// receives what it printed on stderr.
int WaitCli(const CliProcess& process, std::string* err = nullptr);
// Runs it to the end.
int RunCli(const std::vector<std::string>& args, const std::string& home,
           std::string* err = nullptr);

}  // namespace morvick::testing
