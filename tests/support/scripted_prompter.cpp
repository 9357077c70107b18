#include "support/scripted_prompter.h"

#include <gtest/gtest.h>

namespace morvick::testing {

morvick::Answer ScriptedPrompter::Ask(BoxKind kind, std::string_view text, unsigned buttons) {
  boxes_.push_back({kind, std::string(text), buttons});
  if (buttons == kButtonOk) return morvick::Answer::Ok;
  if (answers_.empty()) {
    ADD_FAILURE() << "unexpected question: " << text;
    return MakeBoxLook(kind, buttons).escape_answer;
  }
  auto [answer, meanwhile] = std::move(answers_.front());
  answers_.pop_front();
  if (meanwhile) meanwhile();
  return answer;
}

std::vector<std::string> ScriptedPrompter::texts() const {
  std::vector<std::string> result;
  for (const ShownBox& box : boxes_) result.push_back(box.text);
  return result;
}

}  // namespace morvick::testing
