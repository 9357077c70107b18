#pragma once

// What the path-rule tests of both dialects share: the refusal texts and a
// runner that returns the one message a check showed.

#include "support/scripted_prompter.h"

#include <gtest/gtest.h>

#include <string>

namespace morvick::testing {

inline const std::string kRoot = "ルートは指定できません。あるいは、指定が間違っています。";
inline const std::string kSame = "入力フォルダと出力フォルダが同じの為、処理できません。";
inline const std::string kSameDrive = "入力ドライブと出力ドライブは同じにしてください。";

// Runs a check and returns the one message it showed ("" when it passed).
template <typename Check>
std::string MessageOf(Check check) {
  ScriptedPrompter prompter;
  const bool passed = check(prompter);
  EXPECT_EQ(prompter.boxes().size(), passed ? 0u : 1u);
  if (passed || prompter.boxes().empty()) return {};
  EXPECT_EQ(prompter.boxes()[0].kind, BoxKind::Message);
  return prompter.boxes()[0].text;
}

}  // namespace morvick::testing
