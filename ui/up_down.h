#pragma once

// UpDown1: a vertical pair of arrows bound to no other control. It keeps its
// own position in a range without wrapping and reports a click only when the
// position really moved.

#include <QWidget>

class QToolButton;

namespace morvick::ui {

enum class UpDownButton { Up, Down };

class UpDown : public QWidget {
  Q_OBJECT

 public:
  UpDown(int minimum, int maximum, QWidget* parent);

  int position() const { return position_; }
  void SetPosition(int position);
  // Acts as a click on one arrow.
  void Click(UpDownButton button);

  QToolButton* up_arrow() const { return up_; }
  QToolButton* down_arrow() const { return down_; }

 Q_SIGNALS:
  void Clicked(morvick::ui::UpDownButton button);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  int minimum_;
  int maximum_;
  int position_ = 0;
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace morvick::ui
