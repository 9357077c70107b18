#pragma once

// A report-style list (ListView1, ListView2): fixed columns, read-only rows,
// and a background colour per row chosen from the row's "No" caption each time
// the row is painted.

#include "ui/row_colours.h"

#include <QTreeWidget>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace morvick::ui {

struct ListColumn {
  QString title;
  int width;
  bool right_aligned;
};

class ListView : public QTreeWidget {
  Q_OBJECT

 public:
  // Decides a row's background from its caption (column 0).
  using ColourRule = std::function<RowColour(std::string_view caption)>;

  ListView(const std::vector<ListColumn>& columns, QWidget* parent);

  void SetColourRule(ColourRule rule) { colour_rule_ = std::move(rule); }
  RowColour ColourOfRow(int row) const;

  // Rows are collected and handed to the view in one batch by Flush (adding
  // them one by one would relayout the view for each of many thousand rows).
  void AppendRow(const std::vector<std::string_view>& texts);
  void Flush();
  void Clear();
  int RowCount() const { return topLevelItemCount() + static_cast<int>(pending_.size()); }
  std::string Text(int row, int column) const;
  void SetText(int row, int column, const std::string& text);

 private:
  const QTreeWidgetItem* Row(int row) const;

  std::vector<bool> right_aligned_;
  std::vector<std::unique_ptr<QTreeWidgetItem>> pending_;
  ColourRule colour_rule_;
};

}  // namespace morvick::ui
