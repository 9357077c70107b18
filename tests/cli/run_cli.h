#pragma once

#include "support/manifest.h"
#include "support/temp_dir.h"

// Runs the built morvick-cli with arguments, an environment of its own and a
// given standard input, and collects what it prints and its exit status.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace morvick::testing {

struct CliRun {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;
  std::string err;
  // The lines of stderr.
  std::vector<std::string> ErrLines() const;
};

// `state_home` and `config_home` become XDG_STATE_HOME and XDG_CONFIG_HOME so
// that no test touches the user's own folders. `input` is fed on stdin; `cwd`
// is the working folder ("" keeps the test's).
CliRun RunCliProgram(const std::vector<std::string>& args, const std::string& home,
                     const std::string& input = "", const std::string& cwd = "");

// Runs `script` with /bin/sh, where "$CLI" is the built morvick-cli, for the
// redirections a user's shell makes ("2>&-", "> /dev/full", "| head"). Returns
// the script's exit status; `out` and `err` get what it printed.
CliRun RunCliInShell(const std::string& script, const std::string& home);

// Runs morvick-cli with stdin and stderr on a pseudo-terminal. Once the
// program prints `wait_for` there, `meanwhile` runs (while the program waits
// for its answer), then `reply` is typed, or SIGINT is sent when `reply` is
// empty. `err` holds what the terminal showed.
CliRun RunCliOnTerminal(const std::vector<std::string>& args, const std::string& home,
                        const std::string& wait_for, const std::string& reply,
                        const std::function<void()>& meanwhile = {});

}  // namespace morvick::testing
