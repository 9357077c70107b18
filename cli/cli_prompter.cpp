#include "cli/cli_prompter.h"

#include "cli/interrupt.h"
#include "cli/output.h"
#include "platform/standard_streams.h"

#include <array>
#include <cctype>
#include <string>

namespace morvick::cli {
namespace {

bool IsYes(std::string line) {
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
  std::size_t start = 0;
  while (start < line.size() && std::isspace(static_cast<unsigned char>(line[start]))) ++start;
  line.erase(0, start);
  for (char& c : line) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return line == "y" || line == "yes" || line == "はい";
}

}  // namespace

CliPrompter::CliPrompter(ConfirmPolicy policy, std::FILE* messages, std::FILE* answers)
    : policy_(policy), messages_(messages), answers_(answers) {}

Answer CliPrompter::Ask(BoxKind /*kind*/, std::string_view text, unsigned buttons) {
  const bool question = (buttons & ~static_cast<unsigned>(kButtonOk)) != 0;
  if (!question) {
    WriteOutput(messages_, std::string(text) + "\n");
    ++messages_shown_;
    return Answer::Ok;
  }
  const BoxLook box_look = MakeBoxLook(BoxKind::Confirm, buttons);
  if (policy_.assume_yes && (buttons & kButtonYes)) return Answer::Yes;
  if (!policy_.interactive) {
    WriteOutput(messages_,
                std::string(text) +
                    "\nmorvick-cli: no terminal to answer on; nothing was changed (pass --yes to "
                    "confirm)\n");
    refused_without_terminal_ = true;
    return box_look.escape_answer;
  }
  const Answer answer = AskOnTerminal(text);
  if (answer == Answer::Yes) return answer;
  declined_ = true;
  return box_look.escape_answer;
}

Answer CliPrompter::AskOnTerminal(std::string_view text) {
  WriteOutput(messages_, std::string(text) + " [y/N] ");
  const std::string line = ReadAnswer();
  // End of input or Ctrl-C: no.
  if (line.empty() || line.back() != '\n') WriteOutput(messages_, "\n");
  return IsYes(line) ? Answer::Yes : Answer::No;
}

std::string CliPrompter::ReadAnswer() {
  std::string line;
  const int fd = fileno(answers_);
  if (fd < 0) {  // a stream without a descriptor (tests)
    std::array<char, 256> buffer{};
    while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), answers_)) {
      line += buffer.data();
      if (line.back() == '\n') break;
    }
    return line;
  }
  return platform::ReadLineUnless(fd, [] { return InterruptRequested(); });
}

ConfirmPolicy ProcessConfirmPolicy(bool assume_yes) {
  return {assume_yes, platform::IsTerminal(0) && platform::IsTerminal(2)};
}

}  // namespace morvick::cli
