#include "ui/program_look.h"

#include <QFontInfo>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStringList>

#include <algorithm>

namespace morvick::ui {

QFont ProgramFont() { return ProgramFont(12); }

namespace {

// The first of the candidate families that is really installed. Asking for a
// missing family makes fontconfig answer with whatever it likes (a wider Latin
// font), so each is checked by the family actually resolved.
QString InstalledProgramFamily() {
  // The Windows family first; then IPAGothic, whose half-width digits are 6
  // pixels wide as the designed font's are, so that a date fills exactly its
  // column (IPAPGothic's proportional digits are wider and would be cut).
  const QStringList candidates = {QStringLiteral("MS PGothic"), QStringLiteral("IPAGothic"),
                                  QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
  for (const QString& family : candidates) {
    QFont font(family);
    font.setPixelSize(12);
    if (QFontInfo(font).family().compare(family, Qt::CaseInsensitive) == 0) return family;
  }
  return QFont().family();
}

}  // namespace

QFont ProgramFont(int pixel_height) {
  static const QString family = InstalledProgramFamily();
  QFont font(family);
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixel_height);
  return font;
}

void FitLabel(QLabel* label) {
  const QSize hint = label->sizeHint();
  label->resize(std::max(label->width(), hint.width()), std::max(label->height(), hint.height()));
}

QString GroupBoxStyleSheet() {
  return QStringLiteral(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
      "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
      " left: 2px; top: 0px; padding: 0px 1px; }");
}

void PaintProgramIcon(QPainter& painter) {
  // One folder on the left, split by an arrow into three volumes on the right;
  // the same picture as app/desktop/morvick.svg.
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath folder;
  folder.moveTo(1.5, 6.5);
  folder.lineTo(7.5, 6.5);
  folder.lineTo(9.5, 8.5);
  folder.lineTo(15.5, 8.5);
  folder.lineTo(15.5, 22.5);
  folder.lineTo(1.5, 22.5);
  folder.closeSubpath();
  painter.setPen(QPen(QColor(0x8a, 0x64, 0x10), 1));
  painter.setBrush(QColor(0xe8, 0xb3, 0x3a));
  painter.drawPath(folder);

  const QColor blue(0x3a, 0x5f, 0x9f);
  painter.setPen(QPen(blue, 2));
  painter.drawLine(QPointF(15, 15), QPointF(18, 15));
  painter.setPen(Qt::NoPen);
  painter.setBrush(blue);
  const QPointF arrow[3] = {{17, 12}, {20, 15}, {17, 18}};
  painter.drawPolygon(arrow, 3);

  painter.setPen(QPen(QColor(0x2f, 0x4f, 0x7f), 1));
  const QColor sky(0xa6, 0xca, 0xf0);
  const QColor volume_fills[3] = {sky, Qt::white, sky};
  for (int i = 0; i < 3; ++i) {
    painter.setBrush(volume_fills[i]);
    painter.drawRoundedRect(QRectF(21.5, 3.5 + 9 * i, 10, 7), 1, 1);
  }

  painter.setPen(Qt::NoPen);
  painter.setBrush(blue);
  painter.drawRect(QRectF(3, 25, 12, 4));
  painter.setPen(QPen(Qt::white, 1));
  painter.drawLine(QPointF(5, 27), QPointF(13, 27));
}

QIcon ProgramIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  PaintProgramIcon(painter);
  painter.end();
  return QIcon(pixmap);
}

}  // namespace morvick::ui
