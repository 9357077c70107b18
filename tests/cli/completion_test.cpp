// The shell completions of morvick-cli, run in bash, zsh and fish against the
// built program's --help: the commands, each command's options and the values
// of its options complete exactly as --help lists them; folder arguments
// complete folders, and undo completes journals, those of the default journal
// folder too.

#include "cli_help.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace morvick::testing {
namespace {

enum class Shell { kBash, kZsh, kFish };

const char* NameOf(Shell shell);
void PrintTo(Shell shell, std::ostream* out);

const CliHelp& Help() {
  static const CliHelp help = ReadCliHelp();
  return help;
}

std::string Source(const std::string& relative) {
  return std::string(MORVICK_SOURCE_DIR) + "/" + relative;
}

class Completion : public ::testing::TestWithParam<Shell> {
 protected:
  Completion() {
    folder_.CreateDir("home");
    folder_.CreateDir("sub");
    folder_.CreateDir("my photos");
    folder_.CreateFile("notes.txt");
    folder_.CreateFile("old.jsonl");
  }

  // What the shell offers when the cursor is at the end of the last word,
  // run in the temporary folder with XDG_STATE_HOME at `state_home`. Marks
  // of a folder ("/" at the end) and zsh's quoting are taken off.
  std::set<std::string> Complete(const std::vector<std::string>& words,
                                 const std::string& state_home = "/nonexistent") {
    std::string line;
    for (const std::string& word : words) line += (line.empty() ? "" : " ") + word;
    std::string command = "cd " + ShellQuoted(folder_.path()) +
                          " && HOME=" + ShellQuoted(folder_.Path("home")) +
                          " XDG_CONFIG_HOME=" + ShellQuoted(folder_.Path("home")) +
                          " XDG_DATA_HOME=" + ShellQuoted(folder_.Path("home")) +
                          " XDG_STATE_HOME=" + ShellQuoted(state_home) + " ";
    switch (GetParam()) {
      case Shell::kBash: {
        // Called through the function that `complete` registered for the name.
        std::string array;
        for (const std::string& word : words) array += ShellQuoted(word) + " ";
        const std::string script =
            "source " + ShellQuoted(Source("completion/morvick-cli.bash")) +
            "\nfunction=$(complete -p morvick-cli | sed -n 's/.* -F \\([^ ]*\\) .*/\\1/p')" +
            "\nCOMP_WORDS=(" + array + ")\nCOMP_CWORD=" + std::to_string(words.size() - 1) +
            "\nCOMP_LINE=" + ShellQuoted(line) + "\nCOMP_POINT=${#COMP_LINE}" +
            "\n\"$function\" morvick-cli \"${COMP_WORDS[COMP_CWORD]}\"" +
            " \"${COMP_WORDS[COMP_CWORD-1]}\"\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n";
        command += "bash --norc --noprofile -c " + ShellQuoted(script);
        break;
      }
      case Shell::kZsh:
        command += "timeout 60 zsh -f " + ShellQuoted(Source("tests/cli/complete.zsh")) + " " +
                   ShellQuoted(Source("completion")) + " " + ShellQuoted(line);
        break;
      case Shell::kFish:
        command += "fish --no-config -c " +
                   ShellQuoted("source " + ShellQuoted(Source("completion/morvick-cli.fish")) +
                               "; complete -C" + ShellQuoted(line));
        break;
    }
    std::set<std::string> offered;
    std::istringstream output(ShellOutput(command));
    for (std::string candidate; std::getline(output, candidate);) {
      candidate = candidate.substr(0, candidate.find('\t'));  // fish's description
      if (GetParam() == Shell::kZsh) {
        std::string plain;
        for (std::size_t i = 0; i < candidate.size(); ++i) {
          if (candidate[i] == '\\' && i + 1 < candidate.size()) ++i;
          plain += candidate[i];
        }
        candidate = plain;
      }
      while (candidate.size() > 1 && candidate.back() == '/') candidate.pop_back();
      if (!candidate.empty()) offered.insert(candidate);
    }
    return offered;
  }

  // The last component of each candidate: bash and fish offer whole paths,
  // zsh the component being completed.
  std::set<std::string> Names(const std::set<std::string>& candidates) {
    std::set<std::string> names;
    for (const std::string& candidate : candidates) {
      names.insert(candidate.substr(candidate.rfind('/') + 1));
    }
    return names;
  }

  TempDir folder_;
};

std::set<std::string> SetOf(const std::vector<std::string>& items) {
  return std::set<std::string>(items.begin(), items.end());
}

TEST_P(Completion, OffersTheCommandsOfTheHelp) {
  std::set<std::string> commands;
  for (const HelpCommand& command : Help().commands) commands.insert(command.name);
  EXPECT_EQ(Complete({"morvick-cli", ""}), commands);
}

TEST_P(Completion, OffersExactlyTheOptionsOfEachCommand) {
  EXPECT_EQ(Complete({"morvick-cli", "-"}), SetOf(Help().options));
  for (const HelpCommand& command : Help().commands) {
    EXPECT_EQ(Complete({"morvick-cli", command.name, "-"}), SetOf(command.options)) << command.name;
  }
}

TEST_P(Completion, OffersExactlyTheValuesOfAnOption) {
  for (const HelpCommand& command : Help().commands) {
    for (const auto& [option, values] : command.choices) {
      EXPECT_EQ(Complete({"morvick-cli", command.name, option, ""}), SetOf(values))
          << command.name << " " << option;
    }
  }
}

TEST_P(Completion, OffersFoldersForTheFolderArguments) {
  const std::string typed = folder_.path() + "/";
  const std::vector<std::vector<std::string>> lines = {{"morvick-cli", "plan", typed},
                                                       {"morvick-cli", "move", typed},
                                                       {"morvick-cli", "move", "in", typed}};
  for (const std::vector<std::string>& words : lines) {
    const std::set<std::string> names = Names(Complete(words));
    EXPECT_TRUE(names.count("sub") && names.count("my photos")) << words.size();
    EXPECT_FALSE(names.count("notes.txt") || names.count("old.jsonl")) << words.size();
  }
}

TEST_P(Completion, OffersJournalsForUndo) {
  const std::set<std::string> names =
      Names(Complete({"morvick-cli", "undo", folder_.path() + "/"}));
  EXPECT_TRUE(names.count("old.jsonl") && names.count("sub"));
  EXPECT_FALSE(names.count("notes.txt"));

  // With nothing typed, the journals of the default folder as whole paths.
  const std::string journal = folder_.CreateFile("state/morvick/move-20250101-120000.jsonl");
  EXPECT_TRUE(Complete({"morvick-cli", "undo", ""}, folder_.Path("state")).count(journal));
}

const char* NameOf(Shell shell) {
  switch (shell) {
    case Shell::kBash: return "Bash";
    case Shell::kZsh: return "Zsh";
    case Shell::kFish: return "Fish";
  }
  return "";
}

void PrintTo(Shell shell, std::ostream* out) { *out << NameOf(shell); }

std::string ShellName(const ::testing::TestParamInfo<Shell>& shell) { return NameOf(shell.param); }

INSTANTIATE_TEST_SUITE_P(Shells, Completion,
                         ::testing::Values(Shell::kBash, Shell::kZsh, Shell::kFish), ShellName);

}  // namespace
}  // namespace morvick::testing
