#pragma once

// Texts of the path rules, shared by both dialects.

#include "common/prompter.h"

#include <string>
#include <string_view>

namespace morvick::path_messages {

// Shows "[" + label + "]:" + text, the form of every syntax refusal, and
// returns false for the rule to return.
inline bool RefuseSyntax(Prompter& prompter, std::string_view label, const char* text) {
  std::string message = "[";
  message += label;
  message += "]:";
  message += text;
  prompter.ShowMessage(message);
  return false;
}

inline constexpr const char* kUncIncomplete =
    "コンピュータ名、共有名、フォルダが指定されていません。あるいは、指定が間違っています。";
inline constexpr const char* kRoot = "ルートは指定できません。あるいは、指定が間違っています。";
inline constexpr const char* kDriveLetter = "ドライブ名は 「A～Z」 です。";
inline constexpr const char* kColon = "ドライブ名の次は「:」です。";
inline constexpr const char* kBackslash = "(ドライブ名): の次は「\\」です。";
inline constexpr const char* kNotAbsolute = "絶対パス(「/」で始まるパス)を指定してください。";

inline constexpr const char* kSameFolder = "入力フォルダと出力フォルダが同じの為、処理できません。";
inline constexpr const char* kOutputMustBeNetwork = "出力はネットワークドライブにしてください。";
inline constexpr const char* kOutputMustNotBeNetwork =
    "出力はネットワークドライブ以外にしてください。";
inline constexpr const char* kInputMustNotBeNetwork =
    "入力はネットワークドライブ以外にしてください。";
inline constexpr const char* kInputMustBeNetwork = "入力はネットワークドライブにしてください。";
inline constexpr const char* kSameShare =
    "入力(コンピュータ名＆共有名)と出力(コンピュータ名＆共有名)は同じにしてください。";
inline constexpr const char* kSameDrive = "入力ドライブと出力ドライブは同じにしてください。";

}  // namespace morvick::path_messages
