#pragma once

// Single-line boxes stay single-line: of a text pasted or dropped into one,
// only the first line is kept (a path copied from a terminal often ends in a
// line break, which would otherwise stay in the box unseen).

#include <QString>

class QLineEdit;

namespace morvick::ui {

// The text just inserted ends at `cursor`; its part from the first line break
// up to there is taken out, and `cursor` follows.
void KeepFirstInsertedLine(QString& text, int& cursor);

// Gives `edit` a validator that applies KeepFirstInsertedLine to every change
// (it has no other validator).
void KeepFirstLineOfPastes(QLineEdit* edit);

}  // namespace morvick::ui
