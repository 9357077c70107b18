#include "ui/preset_editor.h"

#include "commands/preset_editor_controls.h"
#include "common/error_guard.h"
#include "settings/presets.h"
#include "ui/program_look.h"
#include "ui/single_line.h"

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace morvick::ui {
namespace {

QFrame* MakeBevel(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* bevel = new QFrame(parent);
  bevel->setObjectName(QString::fromLatin1(name));
  bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
  bevel->setGeometry(left, top, width, height);
  return bevel;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top,
                  int width, int height) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(left, top, width, height);
  FitLabel(label);
  return label;
}

// A cell keeps only the first line of a pasted text: a line break would split
// the row's line in the preset file.
class SingleLineCells : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) KeepFirstLineOfPastes(line);
    return editor;
  }
};

// StringGrid1's keys: Tab and Shift+Tab go on to the dialog's buttons, also
// from a cell being edited, and Escape closes the dialog at once; what was
// typed into the open cell is kept in both cases.
class PresetTable : public QTableWidget {
 public:
  PresetTable(int rows, int columns, QWidget* parent) : QTableWidget(rows, columns, parent) {
    setItemDelegate(new SingleLineCells(this));
  }

  void CommitOpenEditor() {
    if (QWidget* editor = indexWidget(currentIndex())) {
      commitData(editor);
      QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
  }

 protected:
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
    switch (hint) {
      case QAbstractItemDelegate::EditNextItem:
      case QAbstractItemDelegate::EditPreviousItem:
        QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
        focusNextPrevChild(hint == QAbstractItemDelegate::EditNextItem);
        return;
      case QAbstractItemDelegate::RevertModelCache:  // Escape in the open cell
        commitData(editor);
        QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
        if (auto* dialog = qobject_cast<QDialog*>(window())) dialog->reject();
        return;
      default: QTableWidget::closeEditor(editor, hint);
    }
  }
};

// StringGrid1 in the table's shape. Its headers carry no titles: they are only
// the handles by which rows and columns are resized and dragged to another place.
PresetTable* MakeGrid(QWidget* parent, const EditorControlEntry& entry) {
  auto* grid = new PresetTable(kPresetGridRows, kPresetGridColumns, parent);
  grid->setObjectName(QString::fromUtf8(entry.name));
  grid->setGeometry(entry.rect.left, entry.rect.top, entry.rect.width, entry.rect.height);
  for (int column = 0; column < kPresetGridColumns; ++column) {
    grid->setColumnWidth(column, kPresetGridColumnWidths[static_cast<std::size_t>(column)]);
  }
  QHeaderView* rows = grid->verticalHeader();
  rows->setDefaultSectionSize(kPresetGridRowHeight);
  rows->setMinimumSectionSize(6);
  rows->setSectionsMovable(true);
  rows->setSectionResizeMode(QHeaderView::Interactive);
  rows->setFixedWidth(10);
  QHeaderView* columns = grid->horizontalHeader();
  columns->setSectionsMovable(true);
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setFixedHeight(8);
  columns->setStretchLastSection(false);
  QStringList no_titles;
  for (int i = 0; i < kPresetGridRows; ++i) no_titles << QString();
  grid->setVerticalHeaderLabels(no_titles);
  grid->setHorizontalHeaderLabels({QString(), QString()});
  grid->setShowGrid(true);
  grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
  grid->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
  grid->setTabKeyNavigation(false);
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  for (int row = 0; row < kPresetGridRows; ++row) {
    for (int column = 0; column < kPresetGridColumns; ++column) {
      grid->setItem(row, column, new QTableWidgetItem());  // owned by the grid
    }
  }
  return grid;
}

}  // namespace

TOKBottomDlg1::TOKBottomDlg1(Prompter& prompter, std::string read_path, std::string save_path,
                             QWidget* parent)
    : QDialog(parent),
      prompter_(prompter),
      read_path_(std::move(read_path)),
      save_path_(std::move(save_path)) {
  setObjectName(QString::fromUtf8(kPresetEditor.name));
  setWindowTitle(ToQString(kPresetEditor.caption));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(ProgramFont());
  setFixedSize(kPresetEditor.client_width, kPresetEditor.client_height);
  setModal(true);

  QPushButton* cancel = nullptr;
  std::vector<std::pair<int, QWidget*>> tab_stops;
  for (const EditorControlEntry& entry : kPresetEditorControls) {
    const ControlRect& rect = entry.rect;
    QWidget* made = nullptr;
    switch (entry.kind) {
      case EditorControlKind::FrameBevel:
      case EditorControlKind::BoxBevel:
        made = MakeBevel(this, entry.name, rect.left, rect.top, rect.width, rect.height);
        break;
      case EditorControlKind::Label: {
        QLabel* label = MakeLabel(this, entry.name, ToQString(entry.caption), rect.left, rect.top,
                                  rect.width, rect.height);
        if (entry.font_height != kProgramFontHeight) {
          label->setFont(ProgramFont(entry.font_height));
          FitLabel(label);
        }
        made = label;
        break;
      }
      case EditorControlKind::Grid: made = StringGrid1 = MakeGrid(this, entry); break;
      case EditorControlKind::DefaultButton:
      case EditorControlKind::CancelButton: {
        auto* button = new QPushButton(ToQString(entry.caption), this);
        button->setObjectName(QString::fromUtf8(entry.name));
        button->setGeometry(rect.left, rect.top, rect.width, rect.height);
        if (entry.kind == EditorControlKind::DefaultButton) {
          button->setDefault(true);
          OKBtn = button;
        } else {
          button->setAutoDefault(false);
          cancel = button;
        }
        made = button;
        break;
      }
    }
    if (entry.tab_order != kNoTabOrder) tab_stops.emplace_back(entry.tab_order, made);
  }
  connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  std::sort(tab_stops.begin(), tab_stops.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 1; i < tab_stops.size(); ++i) {
    setTabOrder(tab_stops[i - 1].second, tab_stops[i].second);
  }
}

void TOKBottomDlg1::FormCreate() { LoadPresetGrid(*this, read_path_); }

void TOKBottomDlg1::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Every opening starts on the first control of the tab order, not in a cell.
  OKBtn->setFocus(Qt::TabFocusReason);
}

void TOKBottomDlg1::done(int result) {
  // Closing by any way keeps what was typed into a cell still being edited.
  static_cast<PresetTable*>(StringGrid1)->CommitOpenEditor();
  QDialog::done(result);
}

void TOKBottomDlg1::OKBtnClick() {
  static_cast<PresetTable*>(StringGrid1)->CommitOpenEditor();
  RunGuarded(prompter_, [this] { morvick::OKBtnClick(*this, prompter_, save_path_); });
  accept();
}

std::string TOKBottomDlg1::Cell(int column, int row) const {
  const int logical_row = StringGrid1->verticalHeader()->logicalIndex(row);
  const int logical_column = StringGrid1->horizontalHeader()->logicalIndex(column);
  const QTableWidgetItem* item = StringGrid1->item(logical_row, logical_column);
  return item ? ToStdString(item->text()) : std::string();
}

void TOKBottomDlg1::SetCell(int column, int row, const std::string& text) {
  const int logical_row = StringGrid1->verticalHeader()->logicalIndex(row);
  const int logical_column = StringGrid1->horizontalHeader()->logicalIndex(column);
  if (QTableWidgetItem* item = StringGrid1->item(logical_row, logical_column)) {
    item->setText(ToQString(text));
  }
}

}  // namespace morvick::ui
