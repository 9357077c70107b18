// The controls of TForm1, built from the window's control table: kinds,
// names, captions, positions and sizes at 96 dpi, columns, items, menu and
// keyboard order. What the table does not say (ranges, steps, the look of each
// kind) is set here.

#include "commands/form_values.h"
#include "commands/plan_commands.h"
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

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace morvick::ui {
namespace {

// UpDown1's own position, which it keeps without wrapping.
constexpr int kUpDownMinimum = -32768;
constexpr int kUpDownMaximum = 32767;
// ComboBox2's fixed item height.
constexpr int kPresetItemHeight = 14;

QString CaptionOf(const ControlEntry& entry) { return QString::fromUtf8(entry.caption); }

// Names a freshly made control and places it in its container.
template <typename Widget>
Widget* Place(Widget* widget, const ControlEntry& entry) {
  widget->setObjectName(QString::fromLatin1(entry.name));
  widget->setGeometry(entry.rect.left, entry.rect.top, entry.rect.width, entry.rect.height);
  return widget;
}

std::vector<ListColumn> ColumnsOf(const ControlEntry& entry) {
  std::vector<ListColumn> columns;
  for (const ColumnEntry& column : entry.columns) {
    columns.push_back({QString::fromUtf8(column.title), column.width, column.right_aligned});
  }
  return columns;
}

void AddItems(QComboBox* box, const ControlEntry& entry) {
  for (const char* item : entry.items) box->addItem(QString::fromUtf8(item));
}

// The control of the table named `name`, as the type its kind was built as.
template <typename Widget>
Widget* Built(const std::map<std::string_view, QWidget*>& controls, std::string_view name) {
  const auto found = controls.find(name);
  auto* widget = found != controls.end() ? qobject_cast<Widget*>(found->second) : nullptr;
  if (widget == nullptr) throw std::logic_error("no control " + std::string(name));
  return widget;
}

}  // namespace

void TForm1::BuildControls() {
  setObjectName(QString::fromLatin1(kMainWindow.name));
  setWindowTitle(QString::fromUtf8(kMainWindow.caption));
  setWindowIcon(ProgramIcon());
  setFont(ProgramFont());

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(client);

  ControlsByName controls{{kMainWindowName, client}};
  for (const ControlEntry& entry : MainWindowControls()) {
    controls[entry.name] = MakeControl(entry, controls.at(entry.container));
  }
  Button1 = Built<QPushButton>(controls, "Button1");
  Button2 = Built<QPushButton>(controls, "Button2");
  Button3 = Built<QPushButton>(controls, "Button3");
  Button4 = Built<QPushButton>(controls, "Button4");
  Button5 = Built<QPushButton>(controls, "Button5");
  Button6 = Built<QPushButton>(controls, "Button6");
  TreeView1 = Built<QTreeView>(controls, "TreeView1");
  ListView1 = Built<ListView>(controls, "ListView1");
  ListView2 = Built<ListView>(controls, "ListView2");
  RadioGroup1 = Built<QGroupBox>(controls, "RadioGroup1");
  GroupBox1 = Built<QGroupBox>(controls, "GroupBox1");
  Edit1 = Built<QLineEdit>(controls, "Edit1");
  Edit2 = Built<QLineEdit>(controls, "Edit2");
  Edit3 = Built<QLineEdit>(controls, "Edit3");
  Edit4 = Built<QLineEdit>(controls, "Edit4");
  Label1 = Built<QLabel>(controls, "Label1");
  Label2 = Built<QLabel>(controls, "Label2");
  Label3 = Built<QLabel>(controls, "Label3");
  Label4 = Built<QLabel>(controls, "Label4");
  Label5 = Built<QLabel>(controls, "Label5");
  Label6 = Built<QLabel>(controls, "Label6");
  Label7 = Built<QLabel>(controls, "Label7");
  Label8 = Built<QLabel>(controls, "Label8");
  TrackBar1 = Built<QSlider>(controls, "TrackBar1");
  StatusBar1 = Built<QStatusBar>(controls, "StatusBar1");
  Button7 = Built<QPushButton>(controls, "Button7");
  GroupBox2 = Built<QGroupBox>(controls, "GroupBox2");
  ComboBox1 = Built<QComboBox>(controls, "ComboBox1");
  UpDown1 = Built<UpDown>(controls, "UpDown1");
  ComboBox2 = Built<PresetComboBox>(controls, "ComboBox2");
  GroupBox3 = Built<QGroupBox>(controls, "GroupBox3");
  ComboBox3 = Built<QComboBox>(controls, "ComboBox3");
  SpinEdit1 = Built<SpinEdit>(controls, "SpinEdit1");
  Label9 = Built<QLabel>(controls, "Label9");
  CheckBox1 = Built<QCheckBox>(controls, "CheckBox1");
  CheckBox2 = Built<QCheckBox>(controls, "CheckBox2");
  CheckBox3 = Built<QCheckBox>(controls, "CheckBox3");
  CheckBox3->setToolTip(ToQString(FewestVolumesTip(state_)));

  ListView2->SetColourRule([this](std::string_view caption) {
    return VolumeRowColour(caption, ListView2->RowCount(), CheckBox2->isChecked());
  });
  ListView1->SetColourRule(EntryRowColour);
  tree_model_ = new TreeModel(tree_store_, this);
  TreeView1->setModel(tree_model_);
  // The sample volume folder name.
  QFont bold = font();
  bold.setBold(true);
  Label5->setFont(bold);
  FitLabel(Label5);

  BuildMenu();
  SetTabOrder(controls);

  FitClientArea();
  ListView2->setFocus();
}

QWidget* TForm1::MakeControl(const ControlEntry& entry, QWidget* container) {
  switch (entry.kind) {
    case ControlKind::ListView: return Place(new ListView(ColumnsOf(entry), container), entry);
    case ControlKind::TreeView: {
      auto* tree = Place(new QTreeView(container), entry);
      tree->setHeaderHidden(true);
      tree->setIndentation(19);
      tree->setUniformRowHeights(true);
      tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
      tree->setFocusPolicy(Qt::ClickFocus);
      return tree;
    }
    case ControlKind::Label: {
      QLabel* label = Place(new QLabel(CaptionOf(entry), container), entry);
      FitLabel(label);
      return label;
    }
    case ControlKind::Edit: {
      auto* edit = Place(new QLineEdit(container), entry);
      edit->setText(CaptionOf(entry));
      KeepFirstLineOfPastes(edit);
      return edit;
    }
    case ControlKind::Button: {
      auto* button = Place(new QPushButton(CaptionOf(entry), container), entry);
      button->setAutoDefault(false);
      return button;
    }
    case ControlKind::GroupBox: {
      auto* group = Place(new QGroupBox(CaptionOf(entry), container), entry);
      group->setStyleSheet(GroupBoxStyleSheet());
      return group;
    }
    case ControlKind::RadioGroup: {
      auto* group = Place(new QGroupBox(CaptionOf(entry), container), entry);
      group->setStyleSheet(GroupBoxStyleSheet());
      RadioGroup1Buttons = new QButtonGroup(this);
      // One column; the items share the height below the caption evenly.
      constexpr int kItemTop = 16;
      const int count = static_cast<int>(entry.items.size());
      const int item_height = (entry.rect.height - kItemTop - 4) / count;
      for (int i = 0; i < count; ++i) {
        auto* item =
            new QRadioButton(QString::fromUtf8(entry.items[static_cast<std::size_t>(i)]), group);
        item->setObjectName(QString::fromLatin1(entry.name) + QStringLiteral("Item%1").arg(i));
        // As wide as the frame allows: the longest item needs all of it.
        item->setGeometry(8, kItemTop + i * item_height, entry.rect.width - 8 - 1, item_height);
        RadioGroup1Buttons->addButton(item, i);
      }
      RadioGroup1Buttons->button(0)->setChecked(true);
      return group;
    }
    case ControlKind::TrackBar: {
      auto* track = Place(new QSlider(Qt::Horizontal, container), entry);
      track->setRange(1, 9);
      track->setValue(1);
      track->setSingleStep(1);
      track->setPageStep(1);
      track->setTickPosition(QSlider::TicksBelow);
      track->setTickInterval(1);
      return track;
    }
    case ControlKind::SpinEdit: {
      auto* spin = Place(new SpinEdit(kFirstStartNumber, kLastStartNumber, container), entry);
      spin->setValue(SpinValueInRange(entry.caption, kFirstStartNumber, kLastStartNumber));
      return spin;
    }
    case ControlKind::CheckBox: return Place(new QCheckBox(CaptionOf(entry), container), entry);
    case ControlKind::UpDown:
      return Place(new UpDown(kUpDownMinimum, kUpDownMaximum, container), entry);
    case ControlKind::DropDownList: {
      auto* box = Place(new QComboBox(container), entry);
      AddItems(box, entry);
      box->setCurrentIndex(-1);
      return box;
    }
    case ControlKind::PresetDropDown:
      return Place(new PresetComboBox(preset_names_, kPresetItemHeight, container), entry);
    case ControlKind::EditableDropDown: {
      auto* box = Place(new QComboBox(container), entry);
      box->setEditable(true);
      box->setInsertPolicy(QComboBox::NoInsert);
      box->setCompleter(nullptr);
      AddItems(box, entry);
      box->setCurrentIndex(-1);
      box->setEditText(CaptionOf(entry));
      KeepFirstLineOfPastes(box->lineEdit());
      return box;
    }
    case ControlKind::StatusBar: {
      // Docked by the window rather than placed.
      auto* bar = new QStatusBar(this);
      bar->setObjectName(QString::fromLatin1(entry.name));
      bar->setFixedHeight(entry.rect.height);
      StatusPanel = new QLabel(bar);
      StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
      StatusPanel->setMinimumWidth(kStatusPanelWidth);
      // The only panel reaches the right end of the bar, so long texts show whole.
      bar->addWidget(StatusPanel, 1);
      setStatusBar(bar);
      return bar;
    }
  }
  throw std::logic_error("no such kind of control");
}

void TForm1::FitClientArea() {
  menuBar()->ensurePolished();
  resize(kMainWindow.client_width,
         kMainWindow.client_height + menuBar()->heightForWidth(kMainWindow.client_width));
}

void TForm1::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QString::fromLatin1(kMenuBarName));
  Property1 = bar->addMenu(QString::fromUtf8(kPropertyMenu.caption));
  Property1->setObjectName(QString::fromLatin1(kPropertyMenu.name));
  QAction** const actions[] = {&Help1, &Setting1, &About1};
  static_assert(std::size(actions) == kPropertyMenuItems.size());
  for (std::size_t i = 0; i < kPropertyMenuItems.size(); ++i) {
    *actions[i] = Property1->addAction(QString::fromUtf8(kPropertyMenuItems[i].caption));
    (*actions[i])->setObjectName(QString::fromLatin1(kPropertyMenuItems[i].name));
  }
}

void TForm1::SetTabOrder(const ControlsByName& controls) {
  // Only the checked radio button takes Tab; the arrows move within the group.
  QWidget* previous = nullptr;
  const auto append = [this, &previous](QWidget* widget) {
    if (previous) setTabOrder(previous, widget);
    previous = widget;
  };
  for (const ControlEntry* entry : MainWindowTabChain()) {
    if (entry->kind == ControlKind::RadioGroup) {
      for (QAbstractButton* item : RadioGroup1Buttons->buttons()) append(item);
    } else {
      append(controls.at(entry->name));
    }
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
