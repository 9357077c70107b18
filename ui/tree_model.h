#pragma once

// TreeView1's model: a read-only view of the scan's TreeStore. Node ids serve
// as internal ids, so parent() and index() are constant-time. While a scan
// fills the store the model shows nothing; it shows the whole store once the
// scan's outermost tree update ends (Publish).

#include "engine/tree_store.h"

#include <QAbstractItemModel>

namespace morvick::ui {

class TreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  TreeModel(const TreeStore& store, QObject* parent);

  // Stops presenting the store (it is about to be cleared or filled).
  void Withdraw();
  // Presents the store as it is now.
  void Publish();
  bool published() const { return published_; }

  QModelIndex index(int row, int column, const QModelIndex& parent) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  bool hasChildren(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  TreeStore::NodeId NodeOf(const QModelIndex& index) const;

  const TreeStore& store_;
  bool published_ = false;
};

}  // namespace morvick::ui
