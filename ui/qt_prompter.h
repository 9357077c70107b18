#pragma once

// The program's message boxes as real modal dialogs: captions, icons, button
// texts, default button and Escape answer exactly as the conventions set them
// (Qt's standard buttons would be captioned in English).

#include "common/prompter.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <utility>
#include <vector>

class QAbstractButton;
class QMessageBox;

namespace morvick::ui {

// Gives `box` the caption, icon, text and buttons of `box_look`, buttons in the
// order Yes, No, OK, Cancel. Returns each button added with the answer it gives.
std::vector<std::pair<QAbstractButton*, Answer>> PrepareMessageBox(QMessageBox& box,
                                                                   const BoxLook& box_look,
                                                                   const QString& text);

class QtPrompter : public Prompter {
 public:
  explicit QtPrompter(QWidget* owner = nullptr) : owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }

  Answer Ask(BoxKind kind, std::string_view text, unsigned buttons) override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace morvick::ui
