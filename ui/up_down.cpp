#include "ui/up_down.h"

#include <QToolButton>

#include <algorithm>

namespace morvick::ui {

UpDown::UpDown(int minimum, int maximum, QWidget* parent)
    : QWidget(parent),
      minimum_(minimum),
      maximum_(maximum),
      position_(std::clamp(0, minimum, maximum)),
      up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
  setFocusPolicy(Qt::NoFocus);
  for (QToolButton* arrow : {up_, down_}) {
    arrow->setFocusPolicy(Qt::NoFocus);
    arrow->setAutoRepeat(true);  // holding an arrow steps on, as a spin arrow does
  }
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  connect(up_, &QToolButton::clicked, this, [this] { Click(UpDownButton::Up); });
  connect(down_, &QToolButton::clicked, this, [this] { Click(UpDownButton::Down); });
}

void UpDown::SetPosition(int position) { position_ = std::clamp(position, minimum_, maximum_); }

void UpDown::Click(UpDownButton button) {
  const int next = button == UpDownButton::Up ? position_ + 1 : position_ - 1;
  if (next < minimum_ || next > maximum_) return;
  position_ = next;
  Q_EMIT Clicked(button);
}

void UpDown::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int upper = height() / 2;
  up_->setGeometry(0, 0, width(), upper);
  down_->setGeometry(0, upper, width(), height() - upper);
}

}  // namespace morvick::ui
