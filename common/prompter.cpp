#include "common/prompter.h"

#include "common/error.h"

namespace morvick {

BoxSpec MakeBoxSpec(BoxKind kind, unsigned buttons) {
  BoxSpec box_spec;
  box_spec.buttons = buttons;
  switch (kind) {
    case BoxKind::Message: box_spec.caption = kApplicationTitle; break;
    case BoxKind::Confirm:
      box_spec.caption = "確認";
      box_spec.icon = BoxIcon::Question;
      break;
    case BoxKind::Warning:
      box_spec.caption = "警告";
      box_spec.icon = BoxIcon::Exclamation;
      break;
    case BoxKind::Error:
      box_spec.caption = kApplicationTitle;
      box_spec.icon = BoxIcon::Error;
      break;
  }
  box_spec.default_answer = (buttons & kButtonOk) ? Answer::Ok : Answer::Yes;
  if (buttons & kButtonCancel) {
    box_spec.escape_answer = Answer::Cancel;
  } else if (buttons & kButtonNo) {
    box_spec.escape_answer = Answer::No;
  } else {
    box_spec.escape_answer = Answer::Ok;
  }
  box_spec.close_answer = (buttons & kCloseBoxAnswersYes) ? Answer::Yes : box_spec.escape_answer;
  return box_spec;
}

const char* ButtonText(Answer answer) {
  switch (answer) {
    case Answer::Yes: return "はい(&Y)";
    case Answer::No: return "いいえ(&N)";
    case Answer::Ok: return "OK";
    case Answer::Cancel: return "キャンセル";
  }
  return "";
}

void Prompter::ShowError(std::string_view message) {
  Ask(BoxKind::Error, ErrorBoxText(message), kButtonOk);
}

}  // namespace morvick
