// The "..." buttons: the folder browser's answer goes into the box beside the
// button, Cancel changes nothing; and the real dialog's set-up.

#include "ui/folder_picker.h"
#include "ui/main_window.h"
#include "window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <functional>
#include <optional>

namespace morvick::testing {
namespace {

// Answers each browse with the next scripted folder, or cancels.
class ScriptedPicker : public ui::FolderPicker {
 public:
  bool BrowseForFolder(std::string& path) override {
    started_at.push_back(path);
    if (answers.empty()) return false;
    const std::optional<std::string> answer = answers.front();
    answers.erase(answers.begin());
    if (!answer) return false;
    path = *answer;
    return true;
  }
  std::vector<std::optional<std::string>> answers;
  std::vector<std::string> started_at;
};

class FolderPickerTest : public WindowTest {
 protected:
  QLineEdit* Edit(int number) {
    return Find<QLineEdit>(QStringLiteral("Edit%1").arg(number).toLatin1().constData());
  }
  void Click(const char* button) { Find<QAbstractButton>(button)->click(); }
};

TEST_F(FolderPickerTest, EachButtonWritesOnlyItsOwnBox) {
  Start();
  ScriptedPicker picker;
  form().SetFolderPicker(&picker);
  Edit(2)->setText(Q("/typed/in"));
  Edit(3)->setText(Q("not a folder"));

  // The chosen path goes in exactly as given, trailing "/" and root included.
  picker.answers = {"/chosen/in/", std::nullopt, "/", std::nullopt, std::string("/選んだ 出力")};
  Click("Button2");
  EXPECT_EQ(Edit(2)->text(), Q("/chosen/in/"));
  EXPECT_EQ(Edit(3)->text(), Q("not a folder"));
  Click("Button3");  // cancelled
  EXPECT_EQ(Edit(3)->text(), Q("not a folder"));
  EXPECT_EQ(Edit(2)->text(), Q("/chosen/in/"));
  Click("Button3");
  EXPECT_EQ(Edit(3)->text(), Q("/"));
  EXPECT_EQ(Edit(2)->text(), Q("/chosen/in/"));
  Click("Button2");  // cancelled
  EXPECT_EQ(Edit(2)->text(), Q("/chosen/in/"));
  Edit(3)->setText(Q(""));
  Click("Button3");
  EXPECT_EQ(Edit(3)->text(), Q("/選んだ 出力"));

  // Each browse starts at the text of its own box, whatever it holds.
  EXPECT_EQ(picker.started_at, (std::vector<std::string>{"/typed/in", "not a folder",
                                                         "not a folder", "/chosen/in/", ""}));
  EXPECT_TRUE(prompter_.boxes().empty());
}

// Runs `answer` on the folder dialog once it is up.
void AnswerDialog(std::function<void(QFileDialog&)> answer) {
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [poll, answer] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      answer(*dialog);
      *poll = nullptr;  // breaks the cycle
      return;
    }
    QTimer::singleShot(10, qApp, *poll);
  };
  QTimer::singleShot(0, qApp, *poll);
}

QString SelectionLine(QFileDialog& dialog) {
  auto* line = dialog.findChild<QLabel*>(QStringLiteral("SelectionPath"));
  return line ? line->text() : QStringLiteral("<no selection line>");
}

TEST(DialogFolderPicker, OpensOnTheTypedFolderAndReturnsTheChosenOne) {
  TempDir dir;
  dir.CreateDir("start/inner");
  const QString start = QString::fromStdString(dir.Path("start"));
  const QString inner = QString::fromStdString(dir.Path("start/inner"));
  ui::DialogFolderPicker picker;

  bool checked = false;
  AnswerDialog([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), Q("フォルダを選択してください。"));
    EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(dialog.testOption(QFileDialog::ShowDirsOnly));
    EXPECT_EQ(dialog.directory().absolutePath(), start);
    EXPECT_EQ(SelectionLine(dialog), start);
    dialog.setDirectory(inner);
    static_cast<QDialog&>(dialog).accept();  // QFileDialog hides it
    checked = true;
  });
  std::string path = dir.Path("start");
  EXPECT_TRUE(picker.BrowseForFolder(path));
  EXPECT_TRUE(checked);
  EXPECT_EQ(path, dir.Path("start/inner"));

  // Cancel after wandering elsewhere leaves the text alone.
  AnswerDialog([&](QFileDialog& dialog) {
    dialog.setDirectory(start);
    dialog.reject();
  });
  EXPECT_FALSE(picker.BrowseForFolder(path));
  EXPECT_EQ(path, dir.Path("start/inner"));

  // A text that names no folder opens the dialog where it starts by itself.
  for (const std::string& text :
       {std::string(), dir.Path("missing"), std::string("start"), dir.Path("start/x/..")}) {
    QString opened;
    AnswerDialog([&](QFileDialog& dialog) {
      opened = dialog.directory().absolutePath();
      dialog.reject();
    });
    std::string typed = text;
    EXPECT_FALSE(picker.BrowseForFolder(typed));
    EXPECT_EQ(typed, text);
    EXPECT_NE(opened, QString::fromStdString(dir.Path("missing"))) << text;
    EXPECT_FALSE(opened.isEmpty()) << text;
  }
}

}  // namespace
}  // namespace morvick::testing
