#pragma once

// The program's modal message boxes, as an interface: the window answers them
// with real dialogs, the command line from its options, the tests from a script.

#include <string>
#include <string_view>

namespace morvick {

inline constexpr const char* kApplicationTitle = "Morvick";

enum class BoxKind {
  Message,  // results, refusals: caption the application title, no icon
  Confirm,  // caption "確認", question-mark icon
  Warning,  // caption "警告", exclamation icon
  Error,    // the application-wide error box: caption the title, error icon
};

enum class BoxIcon { None, Question, Exclamation, Error };

enum class Answer { Yes, No, Ok, Cancel };

// A set of buttons; they always appear in the order Yes, No, OK, Cancel.
enum ButtonSet : unsigned {
  kButtonYes = 1u << 0,
  kButtonNo = 1u << 1,
  kButtonOk = 1u << 2,
  kButtonCancel = 1u << 3,
  // Not a button: the box's close box answers Yes instead of giving the Escape
  // answer (the preset editor's save question saves when it is closed so).
  kCloseBoxAnswersYes = 1u << 4,
};

// Everything a real dialog needs to follow the program's conventions.
struct BoxLook {
  std::string caption;
  BoxIcon icon = BoxIcon::None;
  unsigned buttons = kButtonOk;
  Answer default_answer = Answer::Ok;
  Answer escape_answer = Answer::Ok;
  Answer close_answer =
      Answer::Ok;  // the box's close box: the Escape answer, unless asked otherwise
};

BoxLook MakeBoxLook(BoxKind kind, unsigned buttons);

// The caption text of a button: "はい(&Y)", "いいえ(&N)", "OK", "キャンセル".
const char* ButtonText(Answer answer);

class Prompter {
 public:
  virtual ~Prompter() = default;

  // Shows one modal box and returns the button that closed it.
  virtual Answer Ask(BoxKind kind, std::string_view text, unsigned buttons) = 0;

  void ShowMessage(std::string_view text) { Ask(BoxKind::Message, text, kButtonOk); }
  Answer ConfirmYesNo(std::string_view text) {
    return Ask(BoxKind::Confirm, text, kButtonYes | kButtonNo);
  }
  Answer ConfirmYesNoCancel(std::string_view text) {
    return Ask(BoxKind::Confirm, text, kButtonYes | kButtonNo | kButtonCancel);
  }
  Answer WarnYesNo(std::string_view text) {
    return Ask(BoxKind::Warning, text, kButtonYes | kButtonNo);
  }
  // The application-wide error box; adds the final "." where the rule asks.
  void ShowError(std::string_view message);
};

}  // namespace morvick
