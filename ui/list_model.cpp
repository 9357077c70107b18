#include "ui/list_model.h"

#include "ui/program_look.h"

#include <QBrush>
#include <QColor>

namespace morvick::ui {
namespace {

QVariant AlignmentOf(const ListColumn& column) {
  return QVariant::fromValue(
      Qt::Alignment((column.right_aligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
}

}  // namespace

ListModel::ListModel(std::vector<ListColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

void ListModel::SetRows(int count, CellText text) {
  beginResetModel();
  row_count_ = count;
  text_ = std::move(text);
  endResetModel();
}

void ListModel::Clear() { SetRows(0, {}); }

void ListModel::RefreshColumn(int column) {
  if (row_count_ == 0 || column < 0 || column >= columnCount()) return;
  Q_EMIT dataChanged(index(0, column), index(row_count_ - 1, column), {Qt::DisplayRole});
}

std::string ListModel::Text(int row, int column) const {
  if (row < 0 || row >= row_count_ || column < 0 || column >= columnCount()) return {};
  return text_(row, column);
}

RowColour ListModel::ColourOfRow(int row) const {
  if (!colour_rule_ || row < 0 || row >= row_count_) return RowColour::Normal;
  return colour_rule_(Text(row, 0));
}

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : row_count_;
}

int ListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
    return {};
  }
  switch (role) {
    case Qt::DisplayRole: return ToQString(Text(index.row(), index.column()));
    case Qt::TextAlignmentRole:
      return AlignmentOf(columns_[static_cast<std::size_t>(index.column())]);
    case Qt::BackgroundRole: {
      const RowColour colour = ColourOfRow(index.row());
      if (colour == RowColour::Normal) return {};
      const Rgb rgb = RgbOf(colour);
      return QBrush(QColor(rgb.red, rgb.green, rgb.blue));
    }
    default: return {};
  }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  const ListColumn& column = columns_[static_cast<std::size_t>(section)];
  if (role == Qt::DisplayRole) return column.title;
  if (role == Qt::TextAlignmentRole) return AlignmentOf(column);
  return {};
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

}  // namespace morvick::ui
