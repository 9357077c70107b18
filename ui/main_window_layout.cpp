// The controls of TForm1: kinds, names, captions, positions and sizes at 96 dpi,
// columns, items, menu and keyboard order.

#include "ui/list_view.h"
#include "ui/main_window.h"
#include "ui/preset_combo_box.h"
#include "ui/program_look.h"
#include "ui/single_line.h"
#include "ui/spin_edit.h"
#include "ui/tree_model.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTreeView>

#include <array>

namespace morvick::ui {
namespace {

constexpr int kClientWidth = 792;
constexpr int kClientHeight = 546;  // under the menu bar, status bar included
constexpr int kStatusBarHeight = 29;

// Names a freshly made control and places it in its container.
template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(left, top, width, height);
  return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top,
                  int width, int height) {
  QLabel* label = Place(new QLabel(caption, parent), name, left, top, width, height);
  FitLabel(label);
  return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int left,
                        int top, int width, int height) {
  return Place(new QPushButton(caption, parent), name, left, top, width, height);
}

constexpr std::array<const char*, 8> kPackingItems = {"名前(昇順)",
                                                      "名前(降順)",
                                                      "更新日時(昇順)",
                                                      "更新日時(降順)",
                                                      "種類(昇順)",
                                                      "種類(降順)",
                                                      "無駄なく(ビンパッキング問題の解法)",
                                                      "指定無"};

}  // namespace

void TForm1::BuildControls() {
  setObjectName(QStringLiteral("TForm1"));
  setWindowTitle(QStringLiteral("Morvick"));
  setWindowIcon(ProgramIcon());
  setFont(ProgramFont());

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(client);

  ListView2 = Place(new ListView({{QStringLiteral("No"), 35, false},
                                  {QStringLiteral("フォルダ"), 80, false},
                                  {QStringLiteral("サイズ"), 100, true}},
                                 client),
                    "ListView2", 8, 8, 241, 201);
  ListView2->SetColourRule([this](std::string_view caption) {
    return VolumeRowColour(caption, ListView2->RowCount(), CheckBox2->isChecked());
  });
  ListView1 = Place(new ListView({{QStringLiteral("No"), 35, false},
                                  {QStringLiteral("名前"), 160, false},
                                  {QStringLiteral("サイズ"), 100, true},
                                  {QStringLiteral("更新日時"), 120, false},
                                  {QStringLiteral("種類"), 90, false}},
                                 client),
                    "ListView1", 256, 8, 529, 201);
  ListView1->SetColourRule(EntryRowColour);

  TreeView1 = Place(new QTreeView(client), "TreeView1", 496, 224, 289, 81);
  TreeView1->setHeaderHidden(true);
  TreeView1->setIndentation(19);
  TreeView1->setUniformRowHeights(true);
  TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TreeView1->setFocusPolicy(Qt::ClickFocus);
  tree_model_ = new TreeModel(tree_store_, this);
  TreeView1->setModel(tree_model_);

  Label1 = MakeLabel(client, "Label1", QStringLiteral("入力フォルダ"), 16, 240, 67, 12);
  Edit2 = Place(new QLineEdit(client), "Edit2", 88, 240, 361, 20);
  Button2 = MakeButton(client, "Button2", QStringLiteral("..."), 456, 240, 25, 25);
  Label2 = MakeLabel(client, "Label2", QStringLiteral("出力フォルダ"), 16, 280, 67, 12);
  Edit3 = Place(new QLineEdit(client), "Edit3", 88, 280, 361, 20);
  Button3 = MakeButton(client, "Button3", QStringLiteral("..."), 456, 280, 25, 25);

  GroupBox1 = Place(new QGroupBox(QStringLiteral("移動先フォルダ設定"), client), "GroupBox1", 8,
                    320, 241, 193);
  Label3 = MakeLabel(GroupBox1, "Label3", QStringLiteral("ベース名"), 16, 16, 46, 12);
  Edit4 = Place(new QLineEdit(GroupBox1), "Edit4", 72, 16, 129, 20);
  Label4 = MakeLabel(GroupBox1, "Label4", QStringLiteral("桁数"), 16, 48, 24, 12);
  TrackBar1 = Place(new QSlider(Qt::Horizontal, GroupBox1), "TrackBar1", 64, 40, 145, 33);
  TrackBar1->setRange(1, 9);
  TrackBar1->setValue(1);
  TrackBar1->setSingleStep(1);
  TrackBar1->setPageStep(1);
  TrackBar1->setTickPosition(QSlider::TicksBelow);
  TrackBar1->setTickInterval(1);
  Label7 = MakeLabel(GroupBox1, "Label7", QStringLiteral("1"), 72, 72, 6, 12);
  Label8 = MakeLabel(GroupBox1, "Label8", QStringLiteral("9"), 200, 72, 6, 12);
  Label9 = MakeLabel(GroupBox1, "Label9", QStringLiteral("開始SEQ"), 16, 88, 46, 12);
  SpinEdit1 = Place(new SpinEdit(1, 999999999, GroupBox1), "SpinEdit1", 72, 88, 129, 21);
  SpinEdit1->setValue(1);
  Label6 = MakeLabel(GroupBox1, "Label6", QStringLiteral("(sample)"), 8, 120, 44, 12);
  Label5 = MakeLabel(GroupBox1, "Label5", QStringLiteral(" "), 64, 120, 5, 12);
  QFont bold = font();
  bold.setBold(true);
  Label5->setFont(bold);
  FitLabel(Label5);
  CheckBox1 = Place(new QCheckBox(QStringLiteral("最終SEQの次を開始SEQとする(起動時)"), GroupBox1),
                    "CheckBox1", 8, 144, 225, 15);
  CheckBox2 = Place(new QCheckBox(QStringLiteral("最終フォルダを移動しない"), GroupBox1),
                    "CheckBox2", 8, 168, 225, 15);

  RadioGroup1 = Place(new QGroupBox(QStringLiteral("Packing方法"), client), "RadioGroup1", 256, 320,
                      233, 193);
  RadioGroup1Buttons = new QButtonGroup(this);
  // One column; the items share the height below the caption evenly.
  constexpr int kItemTop = 16;
  constexpr int kItemHeight = (193 - kItemTop - 4) / 8;
  for (int i = 0; i < static_cast<int>(kPackingItems.size()); ++i) {
    auto* item = new QRadioButton(QString::fromUtf8(kPackingItems[static_cast<std::size_t>(i)]),
                                  RadioGroup1);
    item->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
    // As wide as the frame allows: the longest item needs all of it.
    item->setGeometry(8, kItemTop + i * kItemHeight, 233 - 8 - 1, kItemHeight);
    RadioGroup1Buttons->addButton(item, i);
  }
  RadioGroup1Buttons->button(0)->setChecked(true);

  GroupBox2 =
      Place(new QGroupBox(QStringLiteral("分割サイズ"), client), "GroupBox2", 496, 320, 289, 73);
  Edit1 = Place(new QLineEdit(GroupBox2), "Edit1", 9, 13, 144, 20);
  UpDown1 = Place(new UpDown(-32768, 32767, GroupBox2), "UpDown1", 160, 10, 17, 25);
  ComboBox1 = Place(new QComboBox(GroupBox2), "ComboBox1", 192, 13, 89, 20);
  ComboBox1->addItem(QStringLiteral("Mbytes"));
  ComboBox1->addItem(QStringLiteral("bytes"));
  ComboBox1->setCurrentIndex(-1);
  ComboBox2 = Place(new PresetComboBox(preset_names_, 14, GroupBox2), "ComboBox2", 8, 40, 273, 20);

  for (QGroupBox* group : {GroupBox1, RadioGroup1, GroupBox2}) {
    group->setStyleSheet(GroupBoxStyleSheet());
  }
  Button1 = MakeButton(client, "Button1", QStringLiteral("分割調査"), 496, 408, 73, 41);
  Button6 = MakeButton(client, "Button6", QStringLiteral("キャンセル"), 584, 408, 73, 41);
  GroupBox3 = Place(new QGroupBox(QStringLiteral("クラスタSize(byte)"), client), "GroupBox3", 672,
                    408, 113, 41);
  GroupBox3->setStyleSheet(GroupBoxStyleSheet());
  ComboBox3 = Place(new QComboBox(GroupBox3), "ComboBox3", 8, 16, 97, 20);
  ComboBox3->setEditable(true);
  ComboBox3->setInsertPolicy(QComboBox::NoInsert);
  ComboBox3->setCompleter(nullptr);
  for (const char* item : kClusterSizeItems) ComboBox3->addItem(QString::fromLatin1(item));
  ComboBox3->setCurrentIndex(-1);
  ComboBox3->setEditText(QStringLiteral("0"));
  for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, ComboBox3->lineEdit()}) {
    KeepFirstLineOfPastes(edit);
  }
  Button5 = MakeButton(client, "Button5", QStringLiteral("分割開始"), 496, 462, 73, 41);
  Button7 = MakeButton(client, "Button7", QStringLiteral("UNDO"), 584, 462, 73, 41);
  Button4 = MakeButton(client, "Button4", QStringLiteral("終了"), 672, 462, 113, 41);
  for (QPushButton* button : {Button1, Button2, Button3, Button4, Button5, Button6, Button7}) {
    button->setAutoDefault(false);
  }

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setFixedHeight(kStatusBarHeight);
  StatusPanel = new QLabel(StatusBar1);
  StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
  StatusPanel->setMinimumWidth(50);
  // The only panel reaches the right end of the bar, so long texts show whole.
  StatusBar1->addWidget(StatusPanel, 1);
  setStatusBar(StatusBar1);

  BuildMenu();
  SetTabOrder();

  FitClientArea();
  ListView2->setFocus();
}

void TForm1::FitClientArea() {
  menuBar()->ensurePolished();
  resize(kClientWidth, kClientHeight + menuBar()->heightForWidth(kClientWidth));
}

void TForm1::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  Property1 = bar->addMenu(QStringLiteral("&Property"));
  Property1->setObjectName(QStringLiteral("Property1"));
  Help1 = Property1->addAction(QStringLiteral("&Help"));
  Help1->setObjectName(QStringLiteral("Help1"));
  Setting1 = Property1->addAction(QStringLiteral("&Setting"));
  Setting1->setObjectName(QStringLiteral("Setting1"));
  About1 = Property1->addAction(QStringLiteral("&About"));
  About1->setObjectName(QStringLiteral("About1"));
}

void TForm1::SetTabOrder() {
  // Only the checked radio button takes Tab; the arrows move within the group.
  QWidget* const chain[] = {Edit2,     Button2,   Edit3,     Button3,  Edit4,
                            TrackBar1, SpinEdit1, CheckBox1, CheckBox2};
  QWidget* previous = nullptr;
  for (QWidget* widget : chain) {
    if (previous) setTabOrder(previous, widget);
    previous = widget;
  }
  for (QAbstractButton* item : RadioGroup1Buttons->buttons()) {
    setTabOrder(previous, item);
    previous = item;
  }
  for (QWidget* widget : std::initializer_list<QWidget*>{
           Button1, Button5, Button6, Button4, Button7, Edit1, ComboBox1, ComboBox2, ComboBox3}) {
    setTabOrder(previous, widget);
    previous = widget;
  }
  UpdateRadioFocus();
}

void TForm1::UpdateRadioFocus() {
  // With no method chosen, the first item takes Tab.
  const QAbstractButton* tab_stop = RadioGroup1Buttons->checkedButton();
  if (tab_stop == nullptr) tab_stop = RadioGroup1Buttons->button(0);
  for (QAbstractButton* item : RadioGroup1Buttons->buttons()) {
    item->setFocusPolicy(item == tab_stop ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

}  // namespace morvick::ui
