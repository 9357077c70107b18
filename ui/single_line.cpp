#include "ui/single_line.h"

#include <QLineEdit>
#include <QValidator>

#include <algorithm>

namespace morvick::ui {
namespace {

bool IsLineBreak(QChar c) {
  return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

qsizetype FirstLineBreak(const QString& text, qsizetype from) {
  for (qsizetype i = from; i < text.size(); ++i) {
    if (IsLineBreak(text[i])) return i;
  }
  return -1;
}

class FirstLineValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override {
    KeepFirstInsertedLine(input, pos);
    return Acceptable;
  }
};

}  // namespace

void KeepFirstInsertedLine(QString& text, int& cursor) {
  const qsizetype line_break = FirstLineBreak(text, 0);
  if (line_break < 0) return;
  if (cursor > line_break) {
    text.remove(line_break, cursor - line_break);
    cursor = static_cast<int>(line_break);
  }
  // A break after the cursor can only come from a text set in one piece: the
  // text ends there.
  if (const qsizetype later = FirstLineBreak(text, line_break); later >= 0) {
    text.truncate(later);
    cursor = std::min(cursor, static_cast<int>(later));
  }
}

void KeepFirstLineOfPastes(QLineEdit* edit) { edit->setValidator(new FirstLineValidator(edit)); }

}  // namespace morvick::ui
