#include "ui/preset_editor.h"

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

}  // namespace

TOKBottomDlg1::TOKBottomDlg1(Prompter& prompter, std::string read_path, std::string save_path,
                             QWidget* parent)
    : QDialog(parent),
      prompter_(prompter),
      read_path_(std::move(read_path)),
      save_path_(std::move(save_path)) {
  setObjectName(QStringLiteral("TOKBottomDlg1"));
  setWindowTitle(QStringLiteral("分割リスト設定"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(ProgramFont());
  setFixedSize(429, 314);
  setModal(true);

  MakeBevel(this, "Bevel1", 8, 8, 409, 249);
  MakeLabel(this, "Label1", QStringLiteral("分割リスト(表示用)"), 24, 24, 96, 12);
  MakeLabel(this, "Label2", QStringLiteral("サイズ"), 256, 24, 34, 12);

  StringGrid1 = new PresetTable(kPresetGridRows, kPresetGridColumns, this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->setGeometry(16, 40, 385, 193);
  StringGrid1->setColumnWidth(0, 233);
  StringGrid1->setColumnWidth(1, 125);
  // The headers carry no titles: they are only the handles by which rows and
  // columns are resized and dragged to another place.
  QHeaderView* rows = StringGrid1->verticalHeader();
  rows->setDefaultSectionSize(18);
  rows->setMinimumSectionSize(6);
  rows->setSectionsMovable(true);
  rows->setSectionResizeMode(QHeaderView::Interactive);
  rows->setFixedWidth(10);
  QHeaderView* columns = StringGrid1->horizontalHeader();
  columns->setSectionsMovable(true);
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setFixedHeight(8);
  columns->setStretchLastSection(false);
  QStringList no_titles;
  for (int i = 0; i < kPresetGridRows; ++i) no_titles << QString();
  StringGrid1->setVerticalHeaderLabels(no_titles);
  StringGrid1->setHorizontalHeaderLabels({QString(), QString()});
  StringGrid1->setShowGrid(true);
  StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
  StringGrid1->setEditTriggers(QAbstractItemView::AllEditTriggers);
  StringGrid1->setTabKeyNavigation(false);
  StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  for (int row = 0; row < kPresetGridRows; ++row) {
    for (int column = 0; column < kPresetGridColumns; ++column) {
      StringGrid1->setItem(row, column, new QTableWidgetItem());  // owned by the grid
    }
  }

  MakeBevel(this, "Bevel2", 8, 264, 233, 41);
  MakeLabel(this, "Label3", QStringLiteral("次回起動時に有効になります"), 16, 272, 149, 12);
  QLabel* hint =
      MakeLabel(this, "Label4", QStringLiteral("(バイト単位で入力してください)"), 24, 288, 139, 11);
  hint->setFont(ProgramFont(11));
  FitLabel(hint);

  OKBtn = new QPushButton(QStringLiteral("保存終了"), this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setGeometry(255, 264, 75, 37);
  OKBtn->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
  cancel->setObjectName(QStringLiteral("CancelBtn"));
  cancel->setGeometry(343, 264, 75, 37);
  cancel->setAutoDefault(false);
  connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  setTabOrder(OKBtn, cancel);
  setTabOrder(cancel, StringGrid1);
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
