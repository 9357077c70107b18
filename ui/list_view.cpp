#include "ui/list_view.h"

#include "ui/program_look.h"

#include <QHeaderView>
#include <QStyledItemDelegate>

namespace morvick::ui {
namespace {

class RowColourDelegate : public QStyledItemDelegate {
 public:
  explicit RowColourDelegate(ListView* list) : QStyledItemDelegate(list), list_(list) {}

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const RowColour colour = list_->ColourOfRow(index.row());
    if (colour == RowColour::Normal) return;
    const Rgb rgb = RgbOf(colour);
    option->backgroundBrush = QColor(rgb.red, rgb.green, rgb.blue);
  }

 private:
  ListView* list_;
};

}  // namespace

ListView::ListView(const std::vector<ListColumn>& columns, QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setItemsExpandable(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setAllColumnsShowFocus(true);
  setFocusPolicy(Qt::ClickFocus);  // no tab stop
  setColumnCount(static_cast<int>(columns.size()));
  QStringList titles;
  for (const ListColumn& column : columns) titles << column.title;
  setHeaderLabels(titles);
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    setColumnWidth(i, columns[static_cast<std::size_t>(i)].width);
    right_aligned_.push_back(columns[static_cast<std::size_t>(i)].right_aligned);
    headerItem()->setTextAlignment(i, columns[static_cast<std::size_t>(i)].right_aligned
                                          ? Qt::AlignRight | Qt::AlignVCenter
                                          : Qt::AlignLeft | Qt::AlignVCenter);
  }
  setItemDelegate(new RowColourDelegate(this));
}

RowColour ListView::ColourOfRow(int row) const {
  if (!colour_rule_) return RowColour::Normal;
  const QTreeWidgetItem* item = Row(row);
  if (item == nullptr) return RowColour::Normal;
  return colour_rule_(ToStdString(item->text(0)));
}

void ListView::AppendRow(const std::vector<std::string_view>& texts) {
  auto item = std::make_unique<QTreeWidgetItem>();
  for (std::size_t i = 0; i < texts.size() && i < right_aligned_.size(); ++i) {
    const int column = static_cast<int>(i);
    item->setText(column, ToQString(texts[i]));
    if (right_aligned_[i]) item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  }
  pending_.push_back(std::move(item));
}

void ListView::Flush() {
  if (pending_.empty()) return;
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(pending_.size()));
  // The list takes ownership of the items.
  for (auto& item : pending_) items.append(item.release());
  pending_.clear();
  addTopLevelItems(items);
}

void ListView::Clear() {
  pending_.clear();
  clear();
}

const QTreeWidgetItem* ListView::Row(int row) const {
  const int shown = topLevelItemCount();
  if (row < 0) return nullptr;
  if (row < shown) return topLevelItem(row);
  const auto pending_row = static_cast<std::size_t>(row - shown);
  return pending_row < pending_.size() ? pending_[pending_row].get() : nullptr;
}

std::string ListView::Text(int row, int column) const {
  const QTreeWidgetItem* item = Row(row);
  return item ? ToStdString(item->text(column)) : std::string();
}

void ListView::SetText(int row, int column, const std::string& text) {
  Flush();
  if (QTreeWidgetItem* item = topLevelItem(row)) item->setText(column, ToQString(text));
}

}  // namespace morvick::ui
