#include "cli_help.h"

#include "cli/plan_settings.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <regex>
#include <sstream>

namespace morvick::testing {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// CLI11 lays its help out as "Title:" lines, each followed by entries that
// start two columns in; a description too long for its column continues on
// lines indented further.
std::map<std::string, std::vector<std::string>> Sections(const std::string& help) {
  std::map<std::string, std::vector<std::string>> sections;
  std::string title;
  for (const std::string& line : Lines(help)) {
    if (!line.empty() && line[0] != ' ' && line.back() == ':') {
      title = line.substr(0, line.size() - 1);
    } else if (!title.empty() && line.size() > 2 && line.compare(0, 2, "  ") == 0) {
      if (line[2] != ' ') {
        sections[title].push_back(line.substr(2));
      } else if (!sections[title].empty()) {
        sections[title].back() += " " + line.substr(line.find_first_not_of(' '));
      }
    } else if (line.empty() || line[0] != ' ') {
      title.clear();
    }
  }
  return sections;
}

std::string FirstWord(const std::string& text) { return text.substr(0, text.find(' ')); }

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream stream(text);
  for (std::string part; std::getline(stream, part, separator);) parts.push_back(part);
  return parts;
}

// The packing methods: every number and every name of the --method entry
// that the option's own parser accepts.
std::vector<std::string> MethodChoices(const std::string& entry) {
  std::vector<std::string> numbers;
  for (int method = 0; method < 100; ++method) {
    if (cli::ParseMethod(std::to_string(method))) numbers.push_back(std::to_string(method));
  }
  std::vector<std::string> names;
  const std::regex word("[a-z][a-z-]*");
  for (std::sregex_iterator it(entry.begin(), entry.end(), word), end; it != end; ++it) {
    if (cli::ParseMethod(it->str())) names.push_back(it->str());
  }
  EXPECT_EQ(names.size(), numbers.size())
      << "--help names not every packing method the option accepts: " << entry;
  numbers.insert(numbers.end(), names.begin(), names.end());
  return numbers;
}

HelpCommand ReadCommand(const std::string& name, const std::string& help) {
  HelpCommand command;
  command.name = name;
  const auto sections = Sections(help);
  const auto options = sections.find("Options");
  if (options == sections.end()) return command;
  for (const std::string& entry : options->second) {
    const std::string flags = FirstWord(entry);
    const std::vector<std::string> names = Split(flags, ',');
    command.options.insert(command.options.end(), names.begin(), names.end());
    const std::string& option = names.back();
    if (option == "--method") {
      command.choices[option] = MethodChoices(entry);
      continue;
    }
    // A set of values shows as "TEXT:{a,b}" right after the name.
    const std::size_t open = entry.find(":{");
    const std::size_t close = entry.find('}', open);
    if (open != std::string::npos && close != std::string::npos && entry.find(' ') > open) {
      command.choices[option] = Split(entry.substr(open + 2, close - open - 2), ',');
    }
  }
  EXPECT_FALSE(command.options.empty()) << "no options in the help of " << name << ":\n" << help;
  return command;
}

}  // namespace

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string ShellOutput(const std::string& command_line) {
  std::string output;
  FILE* pipe = popen(command_line.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << command_line;
    return output;
  }
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int status = pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << command_line << " ended with status " << status << ", printing:\n"
      << output;
  return output;
}

CliHelp ReadCliHelp() {
  const std::string program = ShellQuoted(MORVICK_CLI_PATH);
  const std::string help = ShellOutput(program + " --help");
  const HelpCommand top = ReadCommand("morvick-cli", help);
  CliHelp result;
  result.options = top.options;
  auto sections = Sections(help);
  for (const std::string& entry : sections["Subcommands"]) {
    const std::string name = FirstWord(entry);
    result.commands.push_back(ReadCommand(name, ShellOutput(program + " " + name + " --help")));
  }
  EXPECT_FALSE(result.commands.empty()) << "no commands in --help:\n" << help;

  // "Exit status: 0 done; 1 refused ...; 130 interrupted."
  const std::size_t start = help.find("Exit status:");
  if (start != std::string::npos) {
    const std::string text = help.substr(start);
    const std::regex status("(?:Exit status:|;)\\s*(\\d+)\\b");
    for (std::sregex_iterator it(text.begin(), text.end(), status), end; it != end; ++it) {
      result.exit_statuses.push_back((*it)[1]);
    }
  }
  return result;
}

}  // namespace morvick::testing
