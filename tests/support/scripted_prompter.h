#pragma once

// A prompter for tests: records every box and answers questions from a script.

#include "common/prompter.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace morvick::testing {

struct ShownBox {
  BoxKind kind;
  std::string text;
  unsigned buttons;
};

class ScriptedPrompter : public Prompter {
 public:
  // Queues the answer to the next question (a box with more than one button);
  // `meanwhile` runs while that question is up, before it is answered.
  void Answer(morvick::Answer answer, std::function<void()> meanwhile = {}) {
    answers_.emplace_back(answer, std::move(meanwhile));
  }

  // Boxes with only OK are answered OK; a question with no scripted answer
  // fails the test and is answered as Escape would be.
  morvick::Answer Ask(BoxKind kind, std::string_view text, unsigned buttons) override;

  const std::vector<ShownBox>& boxes() const { return boxes_; }
  std::vector<std::string> texts() const;
  void Clear() { boxes_.clear(); }
  bool AllAnswersUsed() const { return answers_.empty(); }

 private:
  std::deque<std::pair<morvick::Answer, std::function<void()>>> answers_;
  std::vector<ShownBox> boxes_;
};

}  // namespace morvick::testing
