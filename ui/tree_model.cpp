#include "ui/tree_model.h"

#include "ui/program_look.h"

#include <limits>

namespace morvick::ui {
namespace {

int ToRowCount(std::uint32_t count) {
  // A view cannot address more rows than an int holds.
  return count > static_cast<std::uint32_t>(std::numeric_limits<int>::max())
             ? std::numeric_limits<int>::max()
             : static_cast<int>(count);
}

}  // namespace

TreeModel::TreeModel(const TreeStore& store, QObject* parent)
    : QAbstractItemModel(parent), store_(store) {}

void TreeModel::Withdraw() {
  if (!published_) return;
  beginResetModel();
  published_ = false;
  endResetModel();
}

void TreeModel::Publish() {
  beginResetModel();
  published_ = true;
  endResetModel();
}

TreeStore::NodeId TreeModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<TreeStore::NodeId>(index.internalId()) : TreeStore::kNone;
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (!published_ || row < 0 || column != 0) return {};
  const TreeStore::NodeId node = store_.child(NodeOf(parent), static_cast<std::uint32_t>(row));
  if (node == TreeStore::kNone) return {};
  return createIndex(row, 0, static_cast<quintptr>(node));
}

QModelIndex TreeModel::parent(const QModelIndex& child) const {
  if (!published_ || !child.isValid()) return {};
  const TreeStore::NodeId parent = store_.parent(NodeOf(child));
  if (parent == TreeStore::kNone) return {};
  return createIndex(static_cast<int>(store_.row(parent)), 0, static_cast<quintptr>(parent));
}

int TreeModel::rowCount(const QModelIndex& parent) const {
  if (!published_ || parent.column() > 0) return 0;
  return ToRowCount(store_.child_count(NodeOf(parent)));
}

int TreeModel::columnCount(const QModelIndex& parent) const {
  (void)parent;
  return 1;
}

bool TreeModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant TreeModel::data(const QModelIndex& index, int role) const {
  if (!published_ || !index.isValid() || role != Qt::DisplayRole) return {};
  return ToQString(store_.name(NodeOf(index)));
}

Qt::ItemFlags TreeModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace morvick::ui
