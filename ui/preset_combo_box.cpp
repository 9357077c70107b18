#include "ui/preset_combo_box.h"

#include "ui/program_look.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace morvick::ui {
namespace {

// ComboBox2DrawItem: fills the item's rectangle with its background and draws
// the display name at its top-left corner, clipped to the rectangle; the
// highlighted item in the highlight colours, the focused one with a focus frame.
class PresetItemDelegate : public QStyledItemDelegate {
 public:
  PresetItemDelegate(PresetComboBox* box, int item_height)
      : QStyledItemDelegate(box), box_(box), height_(item_height) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const bool highlighted = (option.state & QStyle::State_Selected) != 0;
    const QPalette& palette = option.palette;
    painter->save();
    painter->setClipRect(option.rect);
    painter->fillRect(option.rect, highlighted ? palette.highlight() : palette.base());
    painter->setPen(highlighted ? palette.highlightedText().color() : palette.text().color());
    painter->setFont(box_->font());
    painter->drawText(option.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      box_->DisplayName(index.row()));
    if (option.state & QStyle::State_HasFocus) {
      QStyleOptionFocusRect focus;
      focus.QStyleOption::operator=(option);
      focus.backgroundColor = highlighted ? palette.highlight().color() : palette.base().color();
      QApplication::style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter);
    }
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(height_);
    return size;
  }

 private:
  const PresetComboBox* box_;
  int height_;
};

}  // namespace

PresetComboBox::PresetComboBox(const std::vector<std::string>& names, int item_height,
                               QWidget* parent)
    : QComboBox(parent), names_(names) {
  setEditable(false);
  setItemDelegate(new PresetItemDelegate(this, item_height));
}

QString PresetComboBox::DisplayName(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= names_.size()) return {};
  return ToQString(names_[static_cast<std::size_t>(index)]);
}

void PresetComboBox::paintEvent(QPaintEvent* event) {
  (void)event;
  // The closed box shows the selected item drawn as in the list: its name.
  QStylePainter painter(this);
  painter.setPen(palette().color(QPalette::Text));
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText = DisplayName(currentIndex());
  option.currentIcon = QIcon();
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

}  // namespace morvick::ui
