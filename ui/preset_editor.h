#pragma once

// TOKBottomDlg1, "分割リスト設定": the preset grid, saved by "保存終了".

#include "common/prompter.h"
#include "settings/presets.h"

#include <QDialog>

#include <string>

class QPushButton;
class QTableWidget;

namespace morvick::ui {

class TOKBottomDlg1 : public QDialog, public PresetGrid {
  Q_OBJECT

 public:
  // The grid is read from `read_path` and saved to `save_path` (the user's own
  // preset file, while the grid may first show the presets shipped with the program).
  TOKBottomDlg1(Prompter& prompter, std::string read_path, std::string save_path, QWidget* parent);

  // Fills the grid from the preset file; raises when it cannot be read.
  void FormCreate();
  void OKBtnClick();

  // Cells by the position shown on screen, whatever order the user dragged
  // the rows and columns into.
  std::string Cell(int column, int row) const override;
  void SetCell(int column, int row, const std::string& text) override;

  // Closes the dialog with `result`, keeping the text of a cell being edited.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Prompter& prompter_;
  const std::string read_path_;
  const std::string save_path_;
  QPushButton* OKBtn = nullptr;
  QTableWidget* StringGrid1 = nullptr;
};

}  // namespace morvick::ui
