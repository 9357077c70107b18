#pragma once

// What the built morvick-cli lists in its --help: its commands, the options of
// each, the values an option accepts, and the exit statuses. The manual pages
// and the shell completions are held to it, so that a new option or value
// cannot ship undocumented or uncompleted.

#include <map>
#include <string>
#include <vector>

namespace morvick::testing {

struct HelpCommand {
  std::string name;
  std::vector<std::string> options;  // "-h", "--help", "--size", ...
  // The values of the options that accept only some: "--unit" {"mbytes",
  // "bytes"}; "--method" its numbers and names.
  std::map<std::string, std::vector<std::string>> choices;
};

struct CliHelp {
  std::vector<std::string> options;  // of morvick-cli itself, before a command
  std::vector<HelpCommand> commands;
  std::vector<std::string> exit_statuses;
};

// Runs `morvick-cli --help` and `morvick-cli COMMAND --help` for each command.
CliHelp ReadCliHelp();

// Runs a command line with /bin/sh and returns its standard output; fails the
// test when it does not exit with 0.
std::string ShellOutput(const std::string& command_line);

// The text in single quotes for /bin/sh.
std::string ShellQuoted(const std::string& text);

}  // namespace morvick::testing
