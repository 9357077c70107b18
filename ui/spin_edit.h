#pragma once

// SpinEdit1: a numeric box with arrows whose text may hold anything while it is
// being typed; the value is brought into range when it is set and when the
// user leaves the box.

#include <QSpinBox>

namespace morvick::ui {

class SpinEdit : public QSpinBox {
  Q_OBJECT

 public:
  SpinEdit(int minimum, int maximum, QWidget* parent);

 Q_SIGNALS:
  // Every change of the text: each keystroke, each arrow click, each value set.
  void EditTextChanged();

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  int valueFromText(const QString& text) const override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void ReportText();

  QString reported_text_;
};

}  // namespace morvick::ui
