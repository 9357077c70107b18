#pragma once

// What every window of the program shares: its font, its icon and the
// conversion between the engine's native byte strings and Qt's text.

#include <QFont>
#include <QIcon>
#include <QString>

class QLabel;
class QPainter;

#include <string>
#include <string_view>

namespace morvick::ui {

// File names and texts are native bytes (UTF-8 on Linux); bytes that are not
// valid UTF-8 show as replacement characters and are never written back.
inline QString ToQString(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
inline std::string ToStdString(const QString& text) { return text.toUtf8().toStdString(); }

// The windows' font: a Japanese Gothic, 12 pixels high (9 points at 96 dpi),
// in the first family of a short list that is really installed.
QFont ProgramFont();

// A font of `pixel_height` in the same families (the preset editor's hint line).
QFont ProgramFont(int pixel_height);

// Labels size themselves to their text, as their designer sizes assume: a
// label gets at least the given size and grows to fit its text in the font
// actually installed.
void FitLabel(QLabel* label);

// The group boxes' look: the caption sits on the frame line, and controls
// placed near the top of the box stay clear of it.
QString GroupBoxStyleSheet();

// The program icon, painted on a 32 x 32 surface.
void PaintProgramIcon(QPainter& painter);
QIcon ProgramIcon();

}  // namespace morvick::ui
