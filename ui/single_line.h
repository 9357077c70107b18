#pragma once

// Single-line boxes stay single-line: of a text pasted or dropped into one,
// only the first line is kept (a path copied from a terminal often ends in a
// line break, which would otherwise stay in the box unseen).

#include <QString>
#include <QValidator>

class QLineEdit;

namespace morvick::ui {

// The text just inserted ends at `cursor`; its part from the first line break
// up to there is taken out, and `cursor` follows. Returns whether it changed.
bool KeepFirstInsertedLine(QString& text, int& cursor);

class FirstLineValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

// Gives `edit` a FirstLineValidator (it has no other validator).
void KeepFirstLineOfPastes(QLineEdit* edit);

}  // namespace morvick::ui
