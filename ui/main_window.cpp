#include "ui/main_window.h"

#include "commands/journal_commands.h"
#include "commands/path_rules.h"
#include "commands/plan_commands.h"
#include "commands/split_size_step.h"
#include "common/error.h"
#include "common/error_guard.h"
#include "engine/naming.h"
#include "settings/presets.h"
#include "settings/settings_io.h"
#include "ui/help_window.h"
#include "ui/list_view.h"
#include "ui/preset_combo_box.h"
#include "ui/program_look.h"
#include "ui/spin_edit.h"
#include "ui/tree_model.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTreeView>

namespace morvick::ui {

TForm1::TForm1(Prompter& prompter, WindowFiles files, QWidget* parent)
    : QMainWindow(parent),
      prompter_(prompter),
      files_(std::move(files)),
      path_rules_(PlatformPathRules()) {
  BuildControls();
  WireHandlers();
  ListView2->viewport()->installEventFilter(this);
}

TForm1::~TForm1() {
  // The controls outlive this object's members: keep them from calling back
  // into a window that is being torn down.
  ListView2->viewport()->removeEventFilter(this);
  ListView1->SetColourRule({});
  ListView2->SetColourRule({});
  ListView1->Clear();
  ListView2->Clear();
  TreeView1->setModel(nullptr);
  for (QObject* child : findChildren<QObject*>()) child->blockSignals(true);
}

template <typename Handler>
void TForm1::Guarded(Handler&& handler) {
  RunGuarded(prompter_, std::forward<Handler>(handler));
}

void TForm1::WireHandlers() {
  connect(Button1, &QPushButton::clicked, this, [this] { Guarded([this] { Button1Click(); }); });
  connect(Button2, &QPushButton::clicked, this, [this] { Guarded([this] { Button2Click(); }); });
  connect(Button3, &QPushButton::clicked, this, [this] { Guarded([this] { Button3Click(); }); });
  connect(Button4, &QPushButton::clicked, this, [this] { Guarded([this] { Button4Click(); }); });
  connect(Button5, &QPushButton::clicked, this, [this] { Guarded([this] { Button5Click(); }); });
  connect(Button6, &QPushButton::clicked, this, [this] { Guarded([this] { Button6Click(); }); });
  connect(Button7, &QPushButton::clicked, this, [this] { Guarded([this] { Button7Click(); }); });
  connect(RadioGroup1Buttons, &QButtonGroup::idClicked, this,
          [this] { Guarded([this] { RadioGroup1Click(); }); });
  connect(RadioGroup1Buttons, &QButtonGroup::idToggled, this, [this] { UpdateRadioFocus(); });
  connect(Edit4, &QLineEdit::textChanged, this, [this] { Guarded([this] { Edit4Change(); }); });
  connect(TrackBar1, &QSlider::valueChanged, this, [this] { Guarded([this] { Edit4Change(); }); });
  connect(SpinEdit1, &SpinEdit::EditTextChanged, this,
          [this] { Guarded([this] { Edit4Change(); }); });
  connect(UpDown1, &UpDown::Clicked, this,
          [this](UpDownButton button) { Guarded([this, button] { UpDown1Click(button); }); });
  connect(ComboBox2, &QComboBox::activated, this,
          [this](int index) { Guarded([this, index] { ComboBox2Change(index); }); });
  connect(ComboBox3, &QComboBox::textActivated, this, [this] { cluster_text_typed_ = false; });
  if (QLineEdit* cluster_edit = ComboBox3->lineEdit()) {
    connect(cluster_edit, &QLineEdit::textEdited, this, [this] { cluster_text_typed_ = true; });
  }
  connect(Help1, &QAction::triggered, this, [this] { Guarded([this] { Help1Click(); }); });
  connect(Setting1, &QAction::triggered, this, [this] { Guarded([this] { Setting1Click(); }); });
  connect(About1, &QAction::triggered, this, [this] { Guarded([this] { About1Click(); }); });
}

void TForm1::FormCreate() {
  state_.ClearFlags();
  StatusPanel->clear();
  ApplyFormValues(FormValuesOf(LoadSettings(files_.settings_path)));

  PresetList presets = LoadPresetList(files_.presets_path);
  preset_names_ = std::move(presets.names);
  const QSignalBlocker quiet(ComboBox2);
  ComboBox2->clear();
  for (const std::string& size_text : presets.size_texts) ComboBox2->addItem(ToQString(size_text));
  ComboBox2->setCurrentIndex(0);
  if (!presets.error.empty()) throw Error(presets.error);
}

void TForm1::SetDialogs(QDialog* about_box, QDialog* preset_editor) {
  about_box_ = about_box;
  preset_editor_ = preset_editor;
}

// ---- Handlers ---------------------------------------------------------------

void TForm1::Button1Click() {
  // An error that ends the investigation is shown here, so that a close asked
  // for during the scan is answered after it, never by a later Investigate.
  RunGuarded(prompter_, [this] {
    InvestigateCommand(state_, ReadInvestigateInputs(), *this, *this, prompter_, path_rules_);
  });
  // How close the plan is to the fewest volumes; the status line itself keeps its fixed text.
  CheckBox3->setToolTip(ToQString(FewestVolumesTip(state_)));
  StatusPanel->setToolTip(ToQString(PlanBoundText(state_)));
  if (close_after_scan_ && !state_.ScanRunning) {
    // The window was asked to close during the scan; now that the scan has
    // returned, the close prompt may free the entry list.
    close_after_scan_ = false;
    close();
  }
}

void TForm1::Button4Click() { close(); }

void TForm1::Button5Click() {
  MoveOptions options;
  options.journal_folder = files_.journal_folder;
  options.front_end = FrontEnd::Window;
  ShowJournalFailure(
      MoveCommand(state_, ReadMoveInputs(), *this, *this, prompter_, path_rules_, options));
}

void TForm1::Button6Click() { CancelCommand(state_); }

void TForm1::Button7Click() {
  ShowJournalFailure(UndoCommand(state_, ReadMoveInputs(), *this, *this, prompter_, path_rules_));
}

void TForm1::ShowJournalFailure(const MoveReport& report) {
  morvick::ShowJournalFailure(report, prompter_);
}

void TForm1::OfferRecovery() { morvick::OfferRecovery(files_.journal_folder, prompter_); }

void TForm1::Edit4Change() {
  // Row i of ListView2 reads the name of volume i + 1 with these inputs; the
  // sample is the first volume's.
  volume_naming_ = NamingOf(ReadFormValues());
  Label5->setText(ToQString(volume_naming_.FolderName(1)));
  Label5->adjustSize();
  ListView2->rows().RefreshColumn(1);
}

void TForm1::UpDown1Click(UpDownButton button) {
  const auto stepped = StepSplitSize(ToStdString(Edit1->text()), button == UpDownButton::Up);
  if (!stepped) {
    prompter_.ShowMessage("分割サイズは数値でなければなりません");
    return;
  }
  Edit1->setText(ToQString(*stepped));
}

void TForm1::RadioGroup1Click() {
  // The method is read by the next investigation and saved with the settings.
}

void TForm1::ComboBox2Change(int index) {
  const auto choice = morvick::ComboBox2Change(ToStdString(ComboBox2->itemText(index)));
  if (!choice) return;
  SetEditText(1, choice->size_text);
  ComboBox1->setCurrentIndex(choice->unit);
}

void TForm1::Help1Click() {
  if (!help_window_) help_window_ = new HelpWindow(this);
  help_window_->ShowContents(files_.help_path);
}

void TForm1::Setting1Click() {
  if (preset_editor_) preset_editor_->exec();
}

void TForm1::About1Click() {
  if (about_box_) about_box_->exec();
}

// ---- Closing -----------------------------------------------------------------

void TForm1::closeEvent(QCloseEvent* event) {
  if (state_.ScanRunning) {
    // The scan still fills the entry list: stop it first; the close prompt
    // runs once Investigate has returned.
    state_.CancelRequested = true;
    close_after_scan_ = true;
    event->ignore();
    return;
  }
  bool can_close = false;
  Guarded([this, &can_close] {
    can_close = FormCloseQuery(SettingsOf(ReadFormValues()), ListView2->RowCount(), prompter_,
                               files_.settings_path);
  });
  if (!can_close) {
    event->ignore();
    return;
  }
  ListView1->Clear();  // it reads the entry list
  FreeEntries(state_.EntryList);
  if (help_window_) help_window_->close();
  event->accept();
  Q_EMIT Closed();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_once_) return;
  shown_once_ = true;
  FitClientArea();
  if (const QScreen* screen = this->screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

// ---- Form values ---------------------------------------------------------------

FormValues TForm1::ReadFormValues() const {
  FormValues form;
  form.split_size_text = EditText(1);
  form.input_text = EditText(2);
  form.output_text = EditText(3);
  form.base_name = EditText(4);
  form.unit_index = ComboBox1Index();
  form.method_index = RadioGroup1Index();
  form.digits = TrackBar1->value();
  form.start_text = ToStdString(SpinEdit1->text());
  form.cluster_text = ToStdString(ComboBox3->currentText());
  form.cluster_item = ComboBox3->currentIndex();
  form.cluster_typed = cluster_text_typed_;
  form.seq_flag = CheckBox1->isChecked();
  form.skip_last = CheckBox2->isChecked();
  form.fewest_volumes = CheckBox3->isChecked();
  return form;
}

void TForm1::ApplyFormValues(const FormValues& form) {
  // Edit4, TrackBar1 and SpinEdit1 each refresh the sample name as they change,
  // so the last refresh sees every value. The lists change only when the index
  // differs: selecting none would clear ComboBox3's initial text "0".
  SetEditText(1, form.split_size_text);
  SetEditText(2, form.input_text);
  SetEditText(3, form.output_text);
  SetEditText(4, form.base_name);
  TrackBar1->setValue(form.digits);
  SetRadioGroup1Index(form.method_index);
  if (form.unit_index != ComboBox1->currentIndex()) ComboBox1->setCurrentIndex(form.unit_index);
  const int cluster_item = ChosenClusterItem(form.cluster_text, form.cluster_item, false);
  if (cluster_item != ComboBox3Index()) SetComboBox3Index(cluster_item);
  if (cluster_item < 0 && ComboBox3->currentText() != ToQString(form.cluster_text)) {
    ComboBox3->setEditText(ToQString(form.cluster_text));
  }
  cluster_text_typed_ = form.cluster_typed;
  SpinEdit1->setValue(
      SpinValueInRange(form.start_text, SpinEdit1->minimum(), SpinEdit1->maximum()));
  CheckBox1->setChecked(form.seq_flag);
  CheckBox2->setChecked(form.skip_last);
  CheckBox3->setChecked(form.fewest_volumes);
}

int TForm1::ComboBox3Index() const {
  return ChosenClusterItem(ToStdString(ComboBox3->currentText()), ComboBox3->currentIndex(),
                           cluster_text_typed_);
}

void TForm1::SetComboBox3Index(int index) {
  cluster_text_typed_ = false;
  ComboBox3->setCurrentIndex(index);
}

// ---- Control values, LiveInputs and PlanSink --------------------------------------

QLineEdit* TForm1::Edit(int number) const {
  switch (number) {
    case 1: return Edit1;
    case 2: return Edit2;
    case 3: return Edit3;
    case 4: return Edit4;
    default: return nullptr;
  }
}

std::string TForm1::EditText(int number) const {
  const QLineEdit* edit = Edit(number);
  return edit ? ToStdString(edit->text()) : std::string();
}

void TForm1::SetEditText(int number, const std::string& text) {
  QLineEdit* edit = Edit(number);
  if (edit == nullptr) return;
  const QString qtext = ToQString(text);
  if (edit->text() != qtext) edit->setText(qtext);
}

int TForm1::RadioGroup1Index() const { return RadioGroup1Buttons->checkedId(); }

void TForm1::SetRadioGroup1Index(int index) {
  if (QAbstractButton* item = RadioGroup1Buttons->button(index)) {
    item->setChecked(true);
  } else if (QAbstractButton* checked = RadioGroup1Buttons->checkedButton()) {
    // An exclusive group refuses to uncheck its last checked button.
    RadioGroup1Buttons->setExclusive(false);
    checked->setChecked(false);
    RadioGroup1Buttons->setExclusive(true);
  }
  UpdateRadioFocus();
}

int TForm1::ComboBox1Index() const { return ComboBox1->currentIndex(); }

std::string TForm1::ClusterSizeText() const { return ToStdString(ComboBox3->currentText()); }

std::optional<int> TForm1::PackingMethodAfterScan() const {
  return PackingMethodOf(RadioGroup1Index(), CheckBox3->isChecked());
}

bool TForm1::SkipLastVolume() const { return CheckBox2->isChecked(); }

void TForm1::ClearPlan() {
  ListView1->Clear();
  ListView2->Clear();
}

void TForm1::ShowPlan(const PlanRows& plan) {
  const EntryList& entries = plan.entries;
  ListView1->SetRows(static_cast<int>(entries.size()), [&entries](int row, int column) {
    return EntryCellText(entries[static_cast<std::size_t>(row)], column);
  });
  volume_totals_ = plan.volume_totals;
  volume_naming_ = plan.naming;
  ListView2->SetRows(static_cast<int>(volume_totals_.size()) - 1, [this](int row, int column) {
    const std::size_t volume = static_cast<std::size_t>(row) + 1;
    return VolumeCellText(static_cast<std::int32_t>(volume), volume_totals_[volume], volume_naming_,
                          column);
  });
}

void TForm1::ClearTree() {
  tree_model_->Withdraw();
  tree_store_.Clear();
}

void TForm1::PumpEvents() {
  // The scan calls this after every directory entry.
  pump_throttle_.Run([] { QCoreApplication::processEvents(); });
}

void TForm1::BeginTreeUpdate() {
  if (tree_update_depth_++ == 0) tree_model_->Withdraw();
}

void TForm1::EndTreeUpdate() {
  if (tree_update_depth_ > 0 && --tree_update_depth_ == 0) tree_model_->Publish();
}

void TForm1::SetStatusText(const std::string& text) { StatusPanel->setText(ToQString(text)); }

std::string TForm1::StatusText() const { return ToStdString(StatusPanel->text()); }

}  // namespace morvick::ui
