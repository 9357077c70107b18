#pragma once

// Errors that end a handler and reach the application-wide error box. Each
// carries the exact text the user sees (before the box adds its final ".").

#include <stdexcept>
#include <string>
#include <string_view>

namespace morvick {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A text that breaks an integer rule where the program converts without testing.
class ConversionError : public Error {
 public:
  explicit ConversionError(std::string_view text);
};

// "ゼロによる除算".
class DivisionByZeroError : public Error {
 public:
  DivisionByZeroError();
};

// An input/output failure carrying the Windows-style error number whose text
// the user sees: 2 "ファイルが見つかりません", 145 "I/O エラー (145)", ...
class InOutError : public Error {
 public:
  explicit InOutError(int error_number);
  // A failure whose text is given (a system error without a Windows number).
  InOutError(int error_number, const std::string& text);
  int error_number() const { return error_number_; }

 private:
  int error_number_;
};

// Raised between two steps of a move or an undo when the user stopped it (Ctrl-C).
class InterruptedError : public Error {
 public:
  InterruptedError() : Error("interrupted") {}
};

// The user's text for an input/output error number.
std::string InOutErrorText(int error_number);

// The text of the error box: the message, with "." appended when its last byte
// sorts after "." byte-wise (a message ending in a letter or in Japanese text).
std::string ErrorBoxText(std::string_view message);

}  // namespace morvick
