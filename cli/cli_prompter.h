#pragma once

// The message boxes of the commands on a terminal: every message goes to
// stderr as its text; the one question, "よろしいですか？", is answered by
// --yes, or asked on the terminal, and refused when there is no terminal to
// ask on.

#include "common/prompter.h"

#include <cstdio>
#include <string>

namespace morvick::cli {

struct ConfirmPolicy {
  bool assume_yes = false;   // --yes
  bool interactive = false;  // stdin and stderr are a terminal
};

class CliPrompter final : public Prompter {
 public:
  CliPrompter(ConfirmPolicy policy, std::FILE* messages, std::FILE* answers);

  Answer Ask(BoxKind kind, std::string_view text, unsigned buttons) override;

  // A question could not be asked (no terminal and no --yes).
  bool refused_without_terminal() const { return refused_without_terminal_; }
  // A question was answered with anything but yes.
  bool declined() const { return declined_; }
  int messages_shown() const { return messages_shown_; }

 private:
  Answer AskOnTerminal(std::string_view text);
  // One line from `answers_`; stops early at Ctrl-C or the end of input.
  std::string ReadAnswer();

  ConfirmPolicy policy_;
  std::FILE* messages_;
  std::FILE* answers_;
  bool refused_without_terminal_ = false;
  bool declined_ = false;
  int messages_shown_ = 0;
};

// The policy of this process: interactive when stdin and stderr are terminals.
ConfirmPolicy ProcessConfirmPolicy(bool assume_yes);

}  // namespace morvick::cli
