#include "ui/spin_edit.h"

#include "commands/form_values.h"
#include "common/text_rules.h"
#include "ui/program_look.h"
#include "ui/single_line.h"

#include <QLineEdit>

namespace morvick::ui {

SpinEdit::SpinEdit(int minimum, int maximum, QWidget* parent) : QSpinBox(parent) {
  setRange(minimum, maximum);
  setSingleStep(1);
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  setKeyboardTracking(true);
  // QSpinBox reports only texts that make a valid value, and its own updates
  // of the text reach the editor with the editor's signals blocked: listen to
  // both, and report each new text once.
  connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::ReportText);
  connect(this, &QSpinBox::textChanged, this, &SpinEdit::ReportText);
}

void SpinEdit::ReportText() {
  const QString text = lineEdit()->text();
  if (text == reported_text_) return;
  reported_text_ = text;
  Q_EMIT EditTextChanged();
}

QValidator::State SpinEdit::validate(QString& input, int& pos) const {
  KeepFirstInsertedLine(input, pos);
  const auto number = TryParseInt32(ToStdString(input));
  if (number && *number >= minimum() && *number <= maximum()) return QValidator::Acceptable;
  // Anything may stand in the box while it is typed; leaving it corrects it.
  return QValidator::Intermediate;
}

int SpinEdit::valueFromText(const QString& text) const {
  return SpinValueInRange(ToStdString(text), minimum(), maximum());
}

void SpinEdit::focusOutEvent(QFocusEvent* event) {
  const int corrected = SpinValueInRange(ToStdString(lineEdit()->text()), minimum(), maximum());
  if (lineEdit()->text() != textFromValue(corrected)) {
    setValue(corrected);
    lineEdit()->setText(textFromValue(corrected));
  }
  QSpinBox::focusOutEvent(event);
}

}  // namespace morvick::ui
