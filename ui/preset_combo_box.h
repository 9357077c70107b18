#pragma once

// ComboBox2: a drop-down whose items hold the presets' size texts but which
// shows, in the list and in the closed box alike, the display names kept in
// the parallel list PresetNames.

#include <QComboBox>

#include <string>
#include <vector>

namespace morvick::ui {

class PresetComboBox : public QComboBox {
  Q_OBJECT

 public:
  // `names` is PresetNames, owned by the window and outliving the box.
  PresetComboBox(const std::vector<std::string>& names, int item_height, QWidget* parent);

  // The text drawn for item `index`: its display name, or nothing.
  QString DisplayName(int index) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const std::vector<std::string>& names_;
};

}  // namespace morvick::ui
