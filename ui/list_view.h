#pragma once

// A report-style list (ListView1, ListView2): fixed columns, read-only rows
// selected one at a time, and a background colour per row chosen from the
// row's "No" caption each time the row is painted. The rows live in its
// ListModel, which reads them from the plan.

#include "ui/list_model.h"

#include <QTreeView>

#include <string>
#include <vector>

namespace morvick::ui {

class ListView : public QTreeView {
  Q_OBJECT

 public:
  ListView(const std::vector<ListColumn>& columns, QWidget* parent);

  ListModel& rows() const { return *model_; }
  void SetColourRule(ListModel::ColourRule rule) { model_->SetColourRule(std::move(rule)); }
  RowColour ColourOfRow(int row) const { return model_->ColourOfRow(row); }

  void SetRows(int count, ListModel::CellText text) { model_->SetRows(count, std::move(text)); }
  void Clear() { model_->Clear(); }
  int RowCount() const { return model_->rowCount(); }
  std::string Text(int row, int column) const { return model_->Text(row, column); }
  // The selected row, -1 when none is.
  int SelectedRow() const;

 private:
  ListModel* model_;
};

}  // namespace morvick::ui
