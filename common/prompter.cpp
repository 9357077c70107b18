#include "common/prompter.h"

#include "common/error.h"

namespace morvick {

BoxLook MakeBoxLook(BoxKind kind, unsigned buttons) {
  BoxLook box_look;
  box_look.buttons = buttons;
  switch (kind) {
    case BoxKind::Message: box_look.caption = kApplicationTitle; break;
    case BoxKind::Confirm:
      box_look.caption = "確認";
      box_look.icon = BoxIcon::Question;
      break;
    case BoxKind::Warning:
      box_look.caption = "警告";
      box_look.icon = BoxIcon::Exclamation;
      break;
    case BoxKind::Error:
      box_look.caption = kApplicationTitle;
      box_look.icon = BoxIcon::Error;
      break;
  }
  box_look.default_answer = (buttons & kButtonOk) ? Answer::Ok : Answer::Yes;
  if (buttons & kButtonCancel) {
    box_look.escape_answer = Answer::Cancel;
  } else if (buttons & kButtonNo) {
    box_look.escape_answer = Answer::No;
  } else {
    box_look.escape_answer = Answer::Ok;
  }
  box_look.close_answer = (buttons & kCloseBoxAnswersYes) ? Answer::Yes : box_look.escape_answer;
  return box_look;
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
