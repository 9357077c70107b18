// The manual pages of morvick-cli against the built program's --help: every
// command, option, value and exit status that --help lists is in each page,
// under the command it belongs to, and the page lists no option or exit
// status that --help does not know.

#include "cli_help.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <sstream>

namespace morvick::testing {
namespace {

// The text of a roff source without the escapes that stand between a reader
// and the words: "\-" is "-", font changes vanish, "\e" is a backslash.
std::string PlainText(std::string line) {
  line = std::regex_replace(line, std::regex(R"(\\f[BIRP])"), "");
  line = std::regex_replace(line, std::regex(R"(\\-)"), "-");
  line = std::regex_replace(line, std::regex(R"(\\[&%])"), "");
  return std::regex_replace(line, std::regex(R"(\\e)"), "\\");
}

// A part of the page: a section (.SH) or a subsection (.SS) with its title.
struct Part {
  std::string title;
  std::vector<std::string> lines;
};

struct Page {
  std::vector<Part> sections;
  std::vector<Part> subsections;
  std::string text;
};

Page ReadPage(const std::string& path) {
  Page page;
  std::istringstream stream(ReadFile(path));
  bool in_subsection = false;
  for (std::string line; std::getline(stream, line);) {
    line = PlainText(line);
    page.text += line + "\n";
    const auto title = [&line] {
      std::string text = line.substr(4);
      text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
      return text;
    };
    if (line.rfind(".SH ", 0) == 0) {
      page.sections.push_back({title(), {}});
      in_subsection = false;
    } else if (line.rfind(".SS ", 0) == 0) {
      page.subsections.push_back({title(), {}});
      in_subsection = true;
    } else {
      if (!page.sections.empty()) page.sections.back().lines.push_back(line);
      if (in_subsection) page.subsections.back().lines.push_back(line);
    }
  }
  return page;
}

bool HasWord(const std::string& text, const std::string& word) {
  const auto is_word_char = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
  };
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    const bool starts = at == 0 || !is_word_char(text[at - 1]);
    const std::size_t after = at + word.size();
    if (starts && (after == text.size() || !is_word_char(text[after]))) return true;
  }
  return false;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// The commands a subsection's title names ("Options of plan and move",
// "move だけのオプション"); none for the options every command has.
std::vector<std::string> CommandsNamed(const std::string& title, const CliHelp& help) {
  std::vector<std::string> named;
  for (const HelpCommand& command : help.commands) {
    if (HasWord(title, command.name)) named.push_back(command.name);
  }
  return named;
}

// The options a subsection describes: those on the tag line after each .TP.
std::vector<std::string> TaggedOptions(const Part& part) {
  std::vector<std::string> options;
  const std::regex option(R"((?:^|[\s"])(--?[A-Za-z][A-Za-z0-9-]*))");
  for (std::size_t i = 0; i + 1 < part.lines.size(); ++i) {
    if (part.lines[i] != ".TP") continue;
    const std::string& tag = part.lines[i + 1];
    for (std::sregex_iterator it(tag.begin(), tag.end(), option), end; it != end; ++it) {
      options.push_back((*it)[1]);
    }
  }
  return options;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// --help is read once for all the pages.
const CliHelp& Help() {
  static const CliHelp help = ReadCliHelp();
  return help;
}

class ManualPage : public ::testing::TestWithParam<const char*> {
 protected:
  const CliHelp& help_ = Help();
  const Page page_ = ReadPage(std::string(MORVICK_SOURCE_DIR) + "/" + GetParam());
};

TEST_P(ManualPage, DescribesEveryOptionUnderItsCommand) {
  ASSERT_FALSE(page_.subsections.empty()) << "no .SS subsections of options";
  for (const HelpCommand& command : help_.commands) {
    EXPECT_TRUE(HasWord(page_.text, command.name)) << "command " << command.name;
    for (const std::string& option : command.options) {
      const bool described =
          std::any_of(page_.subsections.begin(), page_.subsections.end(), [&](const Part& part) {
            const std::vector<std::string> named = CommandsNamed(part.title, help_);
            return (named.empty() || Contains(named, command.name)) &&
                   Contains(TaggedOptions(part), option);
          });
      EXPECT_TRUE(described) << command.name << " " << option;
    }
  }
  for (const std::string& option : help_.options) {
    const bool described =
        std::any_of(page_.subsections.begin(), page_.subsections.end(), [&](const Part& part) {
          return CommandsNamed(part.title, help_).empty() && Contains(TaggedOptions(part), option);
        });
    EXPECT_TRUE(described) << "morvick-cli " << option;
  }
}

TEST_P(ManualPage, DescribesNoOptionTheCommandsLack) {
  for (const Part& part : page_.subsections) {
    const std::vector<std::string> named = CommandsNamed(part.title, help_);
    for (const std::string& option : TaggedOptions(part)) {
      if (named.empty()) {
        // Options of morvick-cli itself, or of every command.
        const bool of_every_command = std::all_of(
            help_.commands.begin(), help_.commands.end(),
            [&](const HelpCommand& command) { return Contains(command.options, option); });
        EXPECT_TRUE(Contains(help_.options, option) || of_every_command)
            << part.title << ": " << option;
      }
      for (const std::string& name : named) {
        const auto command =
            std::find_if(help_.commands.begin(), help_.commands.end(),
                         [&](const HelpCommand& candidate) { return candidate.name == name; });
        EXPECT_TRUE(Contains(command->options, option))
            << part.title << ": " << name << " has no " << option;
      }
    }
  }
}

TEST_P(ManualPage, NamesEveryValueOfAnOption) {
  for (const HelpCommand& command : help_.commands) {
    for (const auto& [option, values] : command.choices) {
      for (const std::string& value : values) {
        EXPECT_TRUE(HasWord(page_.text, value)) << command.name << " " << option << " " << value;
      }
    }
  }
}

TEST_P(ManualPage, ListsTheExitStatusesOfTheHelp) {
  const auto section =
      std::find_if(page_.sections.begin(), page_.sections.end(), [](const Part& part) {
        return part.title == "EXIT STATUS" || part.title == "終了ステータス";
      });
  ASSERT_NE(section, page_.sections.end()) << "no exit status section";
  if (help_.exit_statuses.empty()) GTEST_SKIP() << "--help lists no exit statuses";
  std::set<std::string> listed;
  const std::regex tag(R"(^\.B (\d+)$)");
  for (std::size_t i = 0; i + 1 < section->lines.size(); ++i) {
    std::smatch match;
    if (section->lines[i] == ".TP" && std::regex_match(section->lines[i + 1], match, tag)) {
      listed.insert(match[1]);
    }
  }
  EXPECT_EQ(listed, std::set<std::string>(help_.exit_statuses.begin(), help_.exit_statuses.end()))
      << Joined(section->lines);
}

std::string Language(const ::testing::TestParamInfo<const char*>& page) {
  return page.index == 0 ? "English" : "Japanese";
}

INSTANTIATE_TEST_SUITE_P(Pages, ManualPage,
                         ::testing::Values("man/morvick-cli.1", "man/ja/morvick-cli.1"), Language);

}  // namespace
}  // namespace morvick::testing
