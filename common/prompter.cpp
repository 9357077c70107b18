#include "common/prompter.h"

#include "common/error.h"

namespace morvick {

BoxSpec MakeBoxSpec(BoxKind kind, unsigned buttons) {
  BoxSpec spec;
  spec.buttons = buttons;
  switch (kind) {
    case BoxKind::Message: spec.caption = kApplicationTitle; break;
    case BoxKind::Confirm:
      spec.caption = "確認";
      spec.icon = BoxIcon::Question;
      break;
    case BoxKind::Warning:
      spec.caption = "警告";
      spec.icon = BoxIcon::Exclamation;
      break;
    case BoxKind::Error:
      spec.caption = kApplicationTitle;
      spec.icon = BoxIcon::Error;
      break;
  }
  spec.default_answer = (buttons & kButtonOk) ? Answer::Ok : Answer::Yes;
  if (buttons & kButtonCancel) {
    spec.escape_answer = Answer::Cancel;
  } else if (buttons & kButtonNo) {
    spec.escape_answer = Answer::No;
  } else {
    spec.escape_answer = Answer::Ok;
  }
  return spec;
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
