#include "ui/qt_prompter.h"

#include "ui/program_look.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include <array>

namespace morvick::ui {
namespace {

QMessageBox::Icon ToQtIcon(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::None: return QMessageBox::NoIcon;
    case BoxIcon::Question: return QMessageBox::Question;
    case BoxIcon::Exclamation: return QMessageBox::Warning;
    case BoxIcon::Error: return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

constexpr std::array<std::pair<unsigned, Answer>, 4> kButtonOrder = {{
    {kButtonYes, Answer::Yes},
    {kButtonNo, Answer::No},
    {kButtonOk, Answer::Ok},
    {kButtonCancel, Answer::Cancel},
}};

}  // namespace

std::vector<std::pair<QAbstractButton*, Answer>> PrepareMessageBox(QMessageBox& box,
                                                                   const BoxLook& box_look,
                                                                   const QString& text) {
  box.setWindowTitle(ToQString(box_look.caption));
  box.setIcon(ToQtIcon(box_look.icon));
  box.setText(text);
  box.setTextFormat(Qt::PlainText);
  box.setFont(ProgramFont());
  std::vector<std::pair<QAbstractButton*, Answer>> added;
  for (const auto& [bit, answer] : kButtonOrder) {
    if ((box_look.buttons & bit) == 0) continue;
    // One role for all, so that the platform's button layout keeps our order.
    QPushButton* button = box.addButton(ToQString(ButtonText(answer)), QMessageBox::ActionRole);
    added.emplace_back(button, answer);
    if (answer == box_look.default_answer) box.setDefaultButton(button);
    if (answer == box_look.escape_answer) box.setEscapeButton(button);
  }
  return added;
}

Answer QtPrompter::Ask(BoxKind kind, std::string_view text, unsigned buttons) {
  const BoxLook box_look = MakeBoxLook(kind, buttons);
  QMessageBox box(owner_.data());
  const auto added = PrepareMessageBox(box, box_look, ToQString(text));
  // A button pressed (by a click, its key, Enter or Escape) reports itself;
  // the close box closes the box without pressing one.
  QAbstractButton* pressed = nullptr;
  QObject::connect(&box, &QMessageBox::buttonClicked, &box,
                   [&pressed](QAbstractButton* button) { pressed = button; });
  box.exec();
  for (const auto& [button, answer] : added) {
    if (button == pressed) return answer;
  }
  return box_look.close_answer;
}

}  // namespace morvick::ui
