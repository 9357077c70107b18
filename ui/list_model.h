#pragma once

// The item model behind a report-style list (ListView1, ListView2). It keeps
// no row of its own: it reads the plan through a cell function and formats a
// cell only when the view asks for it, so a million rows cost nothing beyond
// the plan. Each row's background follows its "No" caption (column 0).

#include "commands/row_colours.h"

#include <QAbstractTableModel>
#include <QString>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace morvick::ui {

struct ListColumn {
  QString title;
  int width;
  bool right_aligned;
};

class ListModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The text of a cell; rows and columns are always in range.
  using CellText = std::function<std::string(int row, int column)>;
  // Decides a row's background from its caption.
  using ColourRule = std::function<RowColour(std::string_view caption)>;

  ListModel(std::vector<ListColumn> columns, QObject* parent);

  const std::vector<ListColumn>& columns() const { return columns_; }
  void SetColourRule(ColourRule rule) { colour_rule_ = std::move(rule); }

  // Shows `count` rows read through `text`, which must stay valid until the
  // next SetRows or Clear.
  void SetRows(int count, CellText text);
  void Clear();
  // The texts of a column changed (the volume names after a naming input).
  void RefreshColumn(int column);

  std::string Text(int row, int column) const;
  RowColour ColourOfRow(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  std::vector<ListColumn> columns_;
  int row_count_ = 0;
  CellText text_;
  ColourRule colour_rule_;
};

}  // namespace morvick::ui
