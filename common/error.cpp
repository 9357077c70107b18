#include "common/error.h"

namespace morvick {

ConversionError::ConversionError(std::string_view text)
    : Error("'" + std::string(text) + "' は整数ではありません") {}

DivisionByZeroError::DivisionByZeroError() : Error("ゼロによる除算") {}

InOutError::InOutError(int error_number)
    : Error(InOutErrorText(error_number)), error_number_(error_number) {}

InOutError::InOutError(int error_number, const std::string& text)
    : Error(text), error_number_(error_number) {}

std::string InOutErrorText(int error_number) {
  switch (error_number) {
    case 2: return "ファイルが見つかりません";
    case 3: return "不正なファイル名です";
    case 4: return "オープンしたファイルが多すぎます";
    case 5: return "ファイルへのアクセスが拒否されました";
    case 100: return "ファイルの末尾以降を読み込みました";
    case 101: return "ディスクがいっぱいです";
    case 106: return "入力値が数値ではありません";
    default: return "I/O エラー (" + std::to_string(error_number) + ")";
  }
}

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) {
    text += '.';
  }
  return text;
}

}  // namespace morvick
