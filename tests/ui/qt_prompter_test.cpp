// The real message boxes: captions, icons, button texts and order, default
// button and the answer of Escape.

#include "ui/qt_prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace morvick {
namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(QtPrompter, BoxesFollowTheConventions) {
  struct Case {
    BoxKind kind;
    unsigned buttons;
    const char* caption;
    QMessageBox::Icon icon;
    QStringList texts;
    const char* default_text;
    const char* escape_text;
  };
  const Case cases[] = {
      {BoxKind::Message, kButtonOk, "Morvick", QMessageBox::NoIcon, {Q("OK")}, "OK", "OK"},
      {BoxKind::Confirm,
       kButtonYes | kButtonNo,
       "確認",
       QMessageBox::Question,
       {Q("はい(&Y)"), Q("いいえ(&N)")},
       "はい(&Y)",
       "いいえ(&N)"},
      {BoxKind::Confirm,
       kButtonYes | kButtonNo | kButtonCancel,
       "確認",
       QMessageBox::Question,
       {Q("はい(&Y)"), Q("いいえ(&N)"), Q("キャンセル")},
       "はい(&Y)",
       "キャンセル"},
      {BoxKind::Warning,
       kButtonYes | kButtonNo,
       "警告",
       QMessageBox::Warning,
       {Q("はい(&Y)"), Q("いいえ(&N)")},
       "はい(&Y)",
       "いいえ(&N)"},
      {BoxKind::Error, kButtonOk, "Morvick", QMessageBox::Critical, {Q("OK")}, "OK", "OK"},
      {BoxKind::Message,
       kButtonOk | kButtonCancel,
       "Morvick",
       QMessageBox::NoIcon,
       {Q("OK"), Q("キャンセル")},
       "OK",
       "キャンセル"},
  };
  for (const Case& c : cases) {
    QMessageBox box;
    const auto added = ui::PrepareMessageBox(box, MakeBoxLook(c.kind, c.buttons), Q("text"));
    EXPECT_EQ(box.windowTitle(), Q(c.caption));
    EXPECT_EQ(box.icon(), c.icon);
    EXPECT_EQ(box.text(), Q("text"));
    QStringList texts;
    for (const auto& [button, answer] : added) {
      texts << button->text();
      EXPECT_EQ(button->text(), Q(ButtonText(answer)));
    }
    EXPECT_EQ(texts, c.texts);
    ASSERT_NE(box.defaultButton(), nullptr);
    EXPECT_EQ(box.defaultButton()->text(), Q(c.default_text));
    ASSERT_NE(box.escapeButton(), nullptr);
    EXPECT_EQ(box.escapeButton()->text(), Q(c.escape_text));
  }
}

// Answers the next modal box by pressing `key` in it.
void PressInNextBox(Qt::Key key) {
  QTimer::singleShot(0, qApp, [key] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr) {
      ADD_FAILURE() << "no modal box";
      return;
    }
    QTest::keyClick(box, key);
  });
}

TEST(QtPrompter, EscapeAndEnterGiveTheConventionalAnswers) {
  ui::QtPrompter prompter;
  PressInNextBox(Qt::Key_Escape);
  EXPECT_EQ(prompter.ConfirmYesNoCancel("保存して終了しますか？"), Answer::Cancel);
  PressInNextBox(Qt::Key_Escape);
  EXPECT_EQ(prompter.WarnYesNo("保存しますか？"), Answer::No);
  PressInNextBox(Qt::Key_Return);
  EXPECT_EQ(prompter.ConfirmYesNo("よろしいですか？"), Answer::Yes);
  PressInNextBox(Qt::Key_Escape);
  EXPECT_EQ(prompter.Ask(BoxKind::Message, "done", kButtonOk), Answer::Ok);
}

// Closes the next modal box by its close box.
void CloseNextBox() {
  QTimer::singleShot(0, qApp, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
}

TEST(QtPrompter, TheCloseBoxAnswersAsEscapeUnlessItIsToAnswerYes) {
  ui::QtPrompter prompter;
  CloseNextBox();
  EXPECT_EQ(prompter.ConfirmYesNoCancel("question"), Answer::Cancel);
  CloseNextBox();
  EXPECT_EQ(prompter.WarnYesNo("question"), Answer::No);

  // The preset editor's save question: closing it saves, Escape does not.
  const unsigned save_question = kButtonYes | kButtonNo | kCloseBoxAnswersYes;
  CloseNextBox();
  EXPECT_EQ(prompter.Ask(BoxKind::Warning, "保存しますか？", save_question), Answer::Yes);
  PressInNextBox(Qt::Key_Escape);
  EXPECT_EQ(prompter.Ask(BoxKind::Warning, "保存しますか？", save_question), Answer::No);
}

}  // namespace
}  // namespace morvick
