#include "ui/list_view.h"

#include <QHeaderView>
#include <QItemSelectionModel>

namespace morvick::ui {

ListView::ListView(const std::vector<ListColumn>& columns, QWidget* parent)
    : QTreeView(parent), model_(new ListModel(columns, this)) {
  setModel(model_);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setItemsExpandable(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setAllColumnsShowFocus(true);
  setFocusPolicy(Qt::ClickFocus);  // no tab stop
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    setColumnWidth(static_cast<int>(i), columns[i].width);
  }
}

int ListView::SelectedRow() const {
  const QModelIndexList selected = selectionModel()->selectedRows();
  return selected.isEmpty() ? -1 : selected.front().row();
}

}  // namespace morvick::ui
