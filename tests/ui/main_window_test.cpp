// The main window's behaviour: start-up with and without files, the sample
// name and the volume list renumbering, the size arrows, the error box, the
// full Investigate, Move, Undo cycle through the buttons, closing.

#include "ui/main_window.h"
#include "ui/list_view.h"
#include "ui/preset_combo_box.h"
#include "ui/preset_editor.h"
#include "ui/tree_model.h"
#include "ui/up_down.h"
#include "window_fixture.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <filesystem>

namespace morvick::testing {
namespace {

class MainWindowTest : public WindowTest {
 protected:
  QLineEdit* Edit(int number) {
    return Find<QLineEdit>(QStringLiteral("Edit%1").arg(number).toLatin1().constData());
  }
  ui::ListView* Volumes() { return Find<ui::ListView>("ListView2"); }
  ui::ListView* Entries() { return Find<ui::ListView>("ListView1"); }
  QString Sample() { return Find<QLabel>("Label5")->text(); }
  void Click(const char* button) { Find<QAbstractButton>(button)->click(); }
  // A column as the view's model presents it.
  std::vector<std::string> Column(ui::ListView* list, int column) {
    const QAbstractItemModel& model = *list->model();
    std::vector<std::string> texts;
    for (int row = 0; row < model.rowCount(); ++row) {
      texts.push_back(model.data(model.index(row, column)).toString().toStdString());
    }
    return texts;
  }
  QColor Background(ui::ListView* list, int row) {
    const QAbstractItemModel& model = *list->model();
    return model.data(model.index(row, 1), Qt::BackgroundRole).value<QBrush>().color();
  }
  // A plan of `count` empty volumes and no entries, as Investigate shows it.
  void ShowEmptyVolumes(int count) {
    const std::vector<std::int64_t> totals(static_cast<std::size_t>(count) + 1, 0);
    form().ShowPlan({no_entries_, totals, VolumeNaming{"x", 1, 1}});
  }
  const EntryList no_entries_;
};

TEST_F(MainWindowTest, StartsWithDefaultsWithoutFiles) {
  Start();
  EXPECT_EQ(Edit(1)->text(), Q("650"));
  EXPECT_EQ(Edit(2)->text(), Q(""));
  EXPECT_EQ(Edit(4)->text(), Q("folder"));
  EXPECT_EQ(Find<QSlider>("TrackBar1")->value(), 5);
  EXPECT_EQ(form().RadioGroup1Index(), 0);
  EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), Q("Mbytes"));
  EXPECT_EQ(Find<QComboBox>("ComboBox3")->currentText(), Q("0"));
  EXPECT_EQ(Find<QSpinBox>("SpinEdit1")->value(), 1);
  EXPECT_FALSE(Find<QCheckBox>("CheckBox1")->isChecked());
  EXPECT_EQ(Sample(), Q("folder00001"));
  EXPECT_EQ(form().StatusText(), "");
  EXPECT_EQ(Volumes()->RowCount(), 0);
  EXPECT_EQ(Entries()->RowCount(), 0);
  auto* presets = Find<ui::PresetComboBox>("ComboBox2");
  EXPECT_EQ(presets->count(), 1);
  EXPECT_EQ(presets->DisplayName(presets->currentIndex()), Q("<分割サイズ一覧> \u3000↑↑↑"));
  EXPECT_TRUE(prompter_.boxes().empty());
  // Move and Undo refuse before any plan exists.
  Click("Button5");
  Click("Button7");
  EXPECT_EQ(prompter_.texts(),
            (std::vector<std::string>{"検索が終了していない為、処理できません。",
                                      "更新が終了してない為、処理できません。"}));
}

TEST_F(MainWindowTest, StartsFromSettingsAndPresetFiles) {
  dir_.WriteFile("morvick.ini",
                 "[Settings]\nSize=700\nInputPath=/in\nOutputPath=/out\nBaseName=vol\nFigure=3\n"
                 "Packing=6\nScale=1\nClusterSize=4\nSeq=998\nSeqFlag=1\nMoveFlag=1\n"
                 "FewestVolumes=1\n");
  dir_.WriteFile("morvick.dat", "CD650,681574400\r\nnameonly\r\n,123\r\n,\r\nDVD,4700000000\r\n");
  Start();
  EXPECT_EQ(Edit(1)->text(), Q("700"));
  EXPECT_EQ(Edit(3)->text(), Q("/out"));
  EXPECT_EQ(form().RadioGroup1Index(), 6);
  EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), Q("bytes"));
  EXPECT_EQ(Find<QComboBox>("ComboBox3")->currentText(), Q("4096"));
  EXPECT_TRUE(Find<QCheckBox>("CheckBox1")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("CheckBox2")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("CheckBox3")->isChecked());
  EXPECT_EQ(form().RadioGroup1Index(), 6);  // the method stays chosen beside it
  EXPECT_EQ(Sample(), Q("vol998"));

  auto* presets = Find<ui::PresetComboBox>("ComboBox2");
  ASSERT_EQ(presets->count(), 3);
  EXPECT_EQ(presets->DisplayName(1), Q("CD650"));
  EXPECT_EQ(presets->itemText(2), Q("4700000000"));
  EXPECT_EQ(presets->DisplayName(2), Q("DVD"));
  EXPECT_EQ(windows_.preset_editor->Cell(0, 1), "nameonly");
  EXPECT_EQ(windows_.preset_editor->Cell(1, 2), "123");
  EXPECT_EQ(windows_.preset_editor->Cell(0, 4), "DVD");

  // Choosing a preset puts its size into Edit1 and switches the unit to bytes;
  // the header changes nothing.
  Find<QComboBox>("ComboBox1")->setCurrentIndex(0);
  form().ComboBox2Change(0);
  EXPECT_EQ(Edit(1)->text(), Q("700"));
  EXPECT_EQ(form().ComboBox1Index(), 0);
  form().ComboBox2Change(1);
  EXPECT_EQ(Edit(1)->text(), Q("681574400"));
  EXPECT_EQ(form().ComboBox1Index(), 1);

  // Closing with Yes saves what the controls hold, Seq moved on by the volume
  // rows as SeqFlag asks.
  ShowEmptyVolumes(2);
  form().show();
  prompter_.Answer(Answer::Yes);
  form().close();
  std::string saved = ReadFile(dir_.Path("morvick.ini"));
  std::erase(saved, '\r');  // the keys written end in CR LF
  EXPECT_EQ(saved,
            "[Settings]\nSize=681574400\nInputPath=/in\nOutputPath=/out\nBaseName=vol\n"
            "Figure=3\nPacking=6\nScale=1\nClusterSize=4\nSeq=1000\nSeqFlag=1\nMoveFlag=1\n"
            "FewestVolumes=1\n");
}

TEST_F(MainWindowTest, UnreadablePresetFileIsReportedByBothWindowsAndStartUpGoesOn) {
  std::filesystem::create_directory(dir_.Path("morvick.dat"));  // exists, cannot be read
  Start();
  const std::string expected = "ファイル " + dir_.Path("morvick.dat") + " は開けません.";
  ASSERT_EQ(prompter_.boxes().size(), 2u);
  for (const ShownBox& box : prompter_.boxes()) {
    EXPECT_EQ(box.kind, BoxKind::Error);
    EXPECT_EQ(box.text, expected);
  }
  EXPECT_NE(windows_.about_box, nullptr);
  EXPECT_NE(windows_.preset_editor, nullptr);
  EXPECT_EQ(Find<QComboBox>("ComboBox2")->count(), 1);
  EXPECT_EQ(Edit(1)->text(), Q("650"));  // the settings were loaded before
}

TEST_F(MainWindowTest, SampleAndVolumeNamesFollowEveryInput) {
  Start();
  ShowEmptyVolumes(12);
  auto* track = Find<QSlider>("TrackBar1");
  auto* spin = Find<QSpinBox>("SpinEdit1");
  track->setValue(1);
  EXPECT_EQ(Sample(), Q("folder1"));
  EXPECT_EQ(Column(Volumes(), 1).back(), "folder12");
  EXPECT_EQ(Column(Volumes(), 0).back(), "12");  // captions untouched

  track->setValue(3);
  spin->setValue(998);
  const auto names = Column(Volumes(), 1);
  EXPECT_EQ(names[0], "folder998");
  EXPECT_EQ(names[1], "folder999");
  EXPECT_EQ(names[2], "folder1000");

  // While the start number is being typed, its text counts; non-numbers count as 1.
  spin->findChild<QLineEdit*>()->setText(Q("-5"));
  EXPECT_EQ(Sample(), Q("folder-005"));
  spin->findChild<QLineEdit*>()->setText(Q("abc"));
  EXPECT_EQ(Sample(), Q("folder001"));
  spin->setValue(1);
  Edit(4)->setText(Q(""));
  EXPECT_EQ(Sample(), Q("001"));
  EXPECT_EQ(Column(Volumes(), 1)[11], "012");
  Edit(4)->setText(Q("名前"));
  track->setValue(2);
  EXPECT_EQ(Column(Volumes(), 1)[0], "名前01");
}

TEST_F(MainWindowTest, UpDownStepsTheSplitSize) {
  Start();
  auto* arrows = Find<ui::UpDown>("UpDown1");
  Edit(1)->setText(Q("650"));
  arrows->Click(ui::UpDownButton::Up);
  EXPECT_EQ(Edit(1)->text(), Q("651"));
  arrows->Click(ui::UpDownButton::Down);
  arrows->Click(ui::UpDownButton::Down);
  EXPECT_EQ(Edit(1)->text(), Q("649"));
  Edit(1)->setText(Q("9223372036854775807"));
  arrows->Click(ui::UpDownButton::Up);
  EXPECT_EQ(Edit(1)->text(), Q("-9223372036854775808"));
  Edit(1)->setText(Q("$10"));
  arrows->Click(ui::UpDownButton::Up);
  EXPECT_EQ(Edit(1)->text(), Q("17"));
  EXPECT_TRUE(prompter_.boxes().empty());

  Edit(1)->setText(Q("650MB"));
  arrows->Click(ui::UpDownButton::Up);
  EXPECT_EQ(Edit(1)->text(), Q("650MB"));
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"分割サイズは数値でなければなりません"});

  // The arrows' own position stops at its end, and then steps nothing.
  Edit(1)->setText(Q("0"));
  arrows->SetPosition(32766);
  arrows->Click(ui::UpDownButton::Up);
  EXPECT_EQ(arrows->position(), 32767);
  arrows->Click(ui::UpDownButton::Up);
  EXPECT_EQ(arrows->position(), 32767);
  EXPECT_EQ(Edit(1)->text(), Q("1"));
  arrows->SetPosition(-32768);
  arrows->Click(ui::UpDownButton::Down);
  EXPECT_EQ(Edit(1)->text(), Q("1"));
  arrows->Click(ui::UpDownButton::Up);
  EXPECT_EQ(Edit(1)->text(), Q("2"));
}

TEST_F(MainWindowTest, BadClusterSizeEndsInvestigateInTheErrorBox) {
  Start();
  dir_.CreateFile("in/a.bin", 10);
  Edit(2)->setText(QString::fromStdString(dir_.Path("in")));
  Find<QComboBox>("ComboBox3")->setEditText(Q("abc"));
  Click("Button1");
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].kind, BoxKind::Error);
  EXPECT_EQ(prompter_.boxes()[0].text, "'abc' は整数ではありません.");
  EXPECT_EQ(form().StatusText(), "[検索中] ");
  EXPECT_TRUE(form().state().Searching);
  // The window goes on: Move is refused because of the unfinished scan.
  prompter_.Clear();
  Click("Button5");
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"検索中の為、処理できません。"});
}

TEST_F(MainWindowTest, InvestigateMoveUndoThroughTheButtons) {
  dir_.CreateFile("in/a.bin", 300);
  dir_.CreateFile("in/b.bin", 200);
  dir_.CreateFile("in/c/inner.bin", 250);
  dir_.CreateFile("in/huge.bin", 5000);
  Start();
  Edit(1)->setText(Q("600"));
  Find<QComboBox>("ComboBox1")->setCurrentIndex(1);  // bytes
  Edit(2)->setText(QString::fromStdString(dir_.Path("in")));
  Edit(3)->setText(QString::fromStdString(dir_.Path("out")));
  // The lists' models stay consistent through every reset and renaming below.
  const auto fatal = QAbstractItemModelTester::FailureReportingMode::Fatal;
  QAbstractItemModelTester entries_tester(Entries()->model(), fatal);
  QAbstractItemModelTester volumes_tester(Volumes()->model(), fatal);

  Click("Button1");
  EXPECT_TRUE(prompter_.boxes().empty());
  EXPECT_EQ(form().StatusText(),
            "[検索終了] 分割数 (2)個  総容量 (750)bytes / クラスタSize (0)bytes");
  EXPECT_EQ(Column(Entries(), 1), (std::vector<std::string>{"a.bin", "b.bin", "c", "huge.bin"}));
  EXPECT_EQ(Column(Entries(), 0), (std::vector<std::string>{"1", "1", "2", "0"}));
  EXPECT_EQ(Column(Volumes(), 1), (std::vector<std::string>{"folder00001", "folder00002"}));
  EXPECT_EQ(Column(Volumes(), 2), (std::vector<std::string>{"500", "250"}));
  EXPECT_EQ(Entries()->ColourOfRow(0), RowColour::SkyBlue);
  EXPECT_EQ(Entries()->ColourOfRow(2), RowColour::Normal);
  EXPECT_EQ(Entries()->ColourOfRow(3), RowColour::Red);
  EXPECT_EQ(Volumes()->ColourOfRow(1), RowColour::Normal);
  // The view paints the colours the model gives.
  EXPECT_EQ(Background(Entries(), 0), QColor(166, 202, 240));
  EXPECT_EQ(Background(Entries(), 3), QColor(255, 0, 0));
  EXPECT_FALSE(
      Entries()->model()->data(Entries()->model()->index(2, 4), Qt::BackgroundRole).isValid());
  Find<QCheckBox>("CheckBox2")->setChecked(true);
  EXPECT_EQ(Volumes()->ColourOfRow(1), RowColour::Yellow);
  EXPECT_EQ(Background(Volumes(), 1), QColor(255, 255, 0));
  Find<QCheckBox>("CheckBox2")->setChecked(false);
  EXPECT_EQ(Entries()->model()->data(Entries()->model()->index(3, 2), Qt::TextAlignmentRole),
            QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter)));
  // The tree shows every level once the scan has ended.
  const ui::TreeModel& tree = form().tree_model();
  ASSERT_EQ(tree.rowCount({}), 4);
  EXPECT_EQ(tree.rowCount(tree.index(2, 0, {})), 1);

  prompter_.Answer(Answer::Yes);
  Click("Button5");
  EXPECT_EQ(prompter_.texts(),
            (std::vector<std::string>{"よろしいですか？", "フォルダを移動しました。"}));
  EXPECT_EQ(form().StatusText(),
            "[更新終了] 分割数 (2)個  総容量 (750)bytes/ クラスタSize (0)bytes");
  EXPECT_TRUE(PathExists(dir_.Path("out/folder00001/a.bin")));
  EXPECT_TRUE(PathExists(dir_.Path("out/folder00001/b.bin")));
  EXPECT_TRUE(PathExists(dir_.Path("out/folder00002/c/inner.bin")));
  EXPECT_TRUE(PathExists(dir_.Path("in/huge.bin")));
  EXPECT_FALSE(PathExists(dir_.Path("in/a.bin")));

  prompter_.Clear();
  Click("Button5");
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"更新が終了してる為、処理できません。"});

  prompter_.Clear();
  prompter_.Answer(Answer::Yes);
  Click("Button7");
  EXPECT_EQ(prompter_.texts(),
            (std::vector<std::string>{"よろしいですか？", "フォルダを移動しました。"}));
  EXPECT_EQ(form().StatusText(),
            "[Undo終了] 分割数 (2)個  総容量 (750)bytes/ クラスタSize (0)bytes");
  EXPECT_TRUE(PathExists(dir_.Path("in/a.bin")));
  EXPECT_TRUE(PathExists(dir_.Path("in/c/inner.bin")));
  EXPECT_FALSE(PathExists(dir_.Path("out/folder00001")));
  EXPECT_FALSE(PathExists(dir_.Path("out/folder00002")));
  EXPECT_TRUE(PathExists(dir_.Path("out")));
  EXPECT_TRUE(prompter_.AllAnswersUsed());

  // A new plan by first-fit replaces the rows; a renaming reaches the shown ones.
  form().SetRadioGroup1Index(6);
  Click("Button1");
  EXPECT_EQ(Column(Entries(), 1), (std::vector<std::string>{"huge.bin", "c", "a.bin", "b.bin"}));
  Find<QSlider>("TrackBar1")->setValue(2);
  EXPECT_EQ(Column(Volumes(), 1), (std::vector<std::string>{"folder01", "folder02"}));
}

TEST_F(MainWindowTest, ExitButtonRunsTheClosePrompt) {
  Start();
  form().show();
  form().SetStatusText("kept");
  prompter_.Answer(Answer::Cancel);
  Click("Button4");
  EXPECT_TRUE(form().isVisible());
  EXPECT_EQ(form().StatusText(), "kept");
  EXPECT_FALSE(PathExists(dir_.Path("morvick.ini")));

  prompter_.Answer(Answer::Yes);
  Click("Button4");
  EXPECT_FALSE(form().isVisible());
  const std::string ini = ReadFile(dir_.Path("morvick.ini"));
  EXPECT_NE(ini.find("Size=650"), std::string::npos);
  EXPECT_NE(ini.find("BaseName=folder"), std::string::npos);
  ASSERT_EQ(prompter_.boxes().size(), 2u);
  EXPECT_EQ(prompter_.boxes()[0].kind, BoxKind::Confirm);
  EXPECT_EQ(prompter_.boxes()[0].buttons, kButtonYes | kButtonNo | kButtonCancel);
}

TEST_F(MainWindowTest, ClosingDuringAScanCancelsItBeforeThePrompt) {
  for (int i = 0; i < 200; ++i) dir_.CreateFile("in/f" + std::to_string(1000 + i), 1);
  Start();
  form().SetPumpInterval(0);
  form().show();
  Edit(2)->setText(QString::fromStdString(dir_.Path("in")));
  bool prompt_came_after_scan = false;
  // The close request arrives through the scan's first event pump.
  QTimer::singleShot(0, &form(), [this] { form().close(); });
  prompter_.Answer(Answer::Cancel);
  QObject::connect(&form(), &ui::TForm1::Closed, &form(), [] { ADD_FAILURE() << "closed"; });
  Click("Button1");
  prompt_came_after_scan = form().state().SearchDone;
  EXPECT_TRUE(prompt_came_after_scan);
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].kind, BoxKind::Confirm);
  // The scan stopped early: far fewer entries than the folder holds.
  EXPECT_LT(Entries()->RowCount(), 200);
  EXPECT_GE(Entries()->RowCount(), 1);
  EXPECT_TRUE(form().isVisible());
  EXPECT_NE(form().state().EntryList, nullptr);
  EXPECT_EQ(form().StatusText().rfind("[検索終了]", 0), 0u);
}

TEST_F(MainWindowTest, CancelStopsARunningScan) {
  for (int i = 0; i < 200; ++i) dir_.CreateFile("in/f" + std::to_string(1000 + i), 1);
  Start();
  form().SetPumpInterval(0);
  Edit(2)->setText(QString::fromStdString(dir_.Path("in")));
  QTimer::singleShot(0, &form(), [this] {
    Click("Button1");  // a second Investigate during the scan is ignored
    Click("Button5");  // Move is refused
    Click("Button6");
  });
  Click("Button1");
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"検索中の為、処理できません。"});
  EXPECT_LT(Entries()->RowCount(), 200);
  EXPECT_TRUE(form().state().SearchDone);
  EXPECT_FALSE(form().state().CancelRequested);
}

TEST_F(MainWindowTest, ACloseAskedForDuringAFailedScanIsAnsweredThenAndNeverAgain) {
  for (int i = 0; i < 200; ++i) dir_.CreateFile("in/f" + std::to_string(1000 + i), 1);
  Start();
  form().SetPumpInterval(0);
  form().show();
  Edit(2)->setText(QString::fromStdString(dir_.Path("in")));
  // During the scan's first event pump: a close request, and a cluster size
  // that the next entry of the scan cannot read.
  QTimer::singleShot(0, &form(), [this] {
    form().close();
    Find<QComboBox>("ComboBox3")->setEditText(Q("abc"));
  });
  prompter_.Answer(Answer::Cancel);
  Click("Button1");
  ASSERT_EQ(prompter_.boxes().size(), 2u);
  EXPECT_EQ(prompter_.boxes()[0].kind, BoxKind::Error);
  EXPECT_EQ(prompter_.boxes()[1].kind, BoxKind::Confirm);  // the close prompt, after the error
  EXPECT_TRUE(form().isVisible());

  // The next investigation is the user's own: it ends without a close prompt.
  prompter_.Clear();
  Find<QComboBox>("ComboBox3")->setEditText(Q("0"));
  Click("Button1");
  EXPECT_TRUE(prompter_.boxes().empty()) << prompter_.boxes()[0].text;
  EXPECT_EQ(Entries()->RowCount(), 200);
}

// A path copied from a terminal ends in a line break; a single-line box keeps
// only the first line of what is pasted, wherever it is pasted.
TEST_F(MainWindowTest, PastedLineBreaksStayOutOfSingleLineBoxes) {
  Start();
  QClipboard* clipboard = QGuiApplication::clipboard();
  const auto paste_into = [clipboard](QLineEdit* edit, const char* before, int cursor,
                                      const char* pasted) {
    edit->setText(Q(before));
    edit->setCursorPosition(cursor);
    clipboard->setText(Q(pasted));
    edit->paste();
    return edit->text();
  };
  EXPECT_EQ(paste_into(Edit(2), "", 0, "/home/user/写真\n"), Q("/home/user/写真"));
  EXPECT_EQ(paste_into(Edit(3), "/media/", 7, "usb\r\nsecond line\r\n"), Q("/media/usb"));
  EXPECT_EQ(paste_into(Edit(4), "volfolder", 3, "ume\nX"), Q("volumefolder"));
  EXPECT_EQ(paste_into(Edit(1), "", 0, "\n650"), Q(""));
  EXPECT_EQ(paste_into(Find<QComboBox>("ComboBox3")->lineEdit(), "", 0, "4096\n"), Q("4096"));
  EXPECT_EQ(paste_into(Find<QSpinBox>("SpinEdit1")->findChild<QLineEdit*>(), "", 0, "12\n"),
            Q("12"));
  EXPECT_EQ(Find<QSpinBox>("SpinEdit1")->value(), 12);
}

// The preset editor's keyboard: it opens on its first button, Tab leaves the
// grid also from a cell being edited, one Escape closes it, and what was typed
// into an open cell is kept in every case.
TEST_F(MainWindowTest, PresetEditorKeys) {
  Start();
  ui::TOKBottomDlg1& editor = *windows_.preset_editor;
  editor.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
  QApplication::setActiveWindow(&editor);
  EXPECT_EQ(FocusedControl(), Q("OKBtn"));
  const auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
  // Each key to the widget that has the focus at that moment: the first one
  // typed into the grid opens the cell's editor.
  const auto type = [](const QString& text) {
    for (const QChar c : text) QTest::keyClicks(QApplication::focusWidget(), QString(c));
  };
  QStringList visited;
  for (int i = 0; i < 6; ++i) {
    if (FocusedControl() == Q("StringGrid1")) {
      type(QStringLiteral("CD%1").arg(i));
    }
    press(Qt::Key_Tab);
    visited << FocusedControl();
  }
  EXPECT_EQ(visited, (QStringList{Q("CancelBtn"), Q("StringGrid1"), Q("OKBtn"), Q("CancelBtn"),
                                  Q("StringGrid1"), Q("OKBtn")}));
  // Tab kept what was typed; the second visit's typing replaced the first's.
  EXPECT_EQ(editor.Cell(0, 0), "CD5");
  press(Qt::Key_Backtab);
  EXPECT_EQ(FocusedControl(), Q("StringGrid1"));
  type(QStringLiteral("DVD"));
  press(Qt::Key_Escape);
  EXPECT_FALSE(editor.isVisible());
  EXPECT_EQ(editor.result(), QDialog::Rejected);
  EXPECT_EQ(editor.Cell(0, 0), "DVD");
  EXPECT_TRUE(prompter_.boxes().empty());  // closing asks nothing and saves nothing
  EXPECT_FALSE(PathExists(dir_.Path("morvick.dat")));

  // Opened again, it starts on its first button, not in the cell left last.
  editor.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
  QApplication::setActiveWindow(&editor);
  EXPECT_EQ(FocusedControl(), Q("OKBtn"));
  editor.hide();
}

}  // namespace
}  // namespace morvick::testing
