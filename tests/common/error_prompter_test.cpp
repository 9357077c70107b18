#include "common/error.h"
#include "common/error_guard.h"
#include "common/prompter.h"
#include "support/scripted_prompter.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>

namespace morvick {
namespace {

TEST(ErrorBox, AddsAPeriodOnlyAfterABytePastThePeriod) {
  EXPECT_EQ(ErrorBoxText("'abc' は整数ではありません"), "'abc' は整数ではありません.");
  EXPECT_EQ(ErrorBoxText("ゼロによる除算"), "ゼロによる除算.");
  EXPECT_EQ(ErrorBoxText("File not found"), "File not found.");
  EXPECT_EQ(ErrorBoxText("Done."), "Done.");
  EXPECT_EQ(ErrorBoxText("I/O エラー (145)"), "I/O エラー (145)");  // ")" sorts before "."
  EXPECT_EQ(ErrorBoxText("path/"), "path/.");                       // "/" sorts after "."
  EXPECT_EQ(ErrorBoxText("value 7"), "value 7.");
  EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(ErrorTypes, CarryTheUsersTexts) {
  EXPECT_STREQ(DivisionByZeroError().what(), "ゼロによる除算");
  EXPECT_STREQ(InOutError(2).what(), "ファイルが見つかりません");
  EXPECT_STREQ(InOutError(5).what(), "ファイルへのアクセスが拒否されました");
  EXPECT_STREQ(InOutError(145).what(), "I/O エラー (145)");
  EXPECT_EQ(InOutError(145).error_number(), 145);
  EXPECT_EQ(InOutErrorText(101), "ディスクがいっぱいです");
}

TEST(BoxConventions, CaptionIconDefaultAndEscapeFollowTheButtons) {
  const BoxLook message = MakeBoxLook(BoxKind::Message, kButtonOk);
  EXPECT_EQ(message.caption, "Morvick");
  EXPECT_EQ(message.icon, BoxIcon::None);
  EXPECT_EQ(message.default_answer, Answer::Ok);
  EXPECT_EQ(message.escape_answer, Answer::Ok);

  const BoxLook confirm = MakeBoxLook(BoxKind::Confirm, kButtonYes | kButtonNo);
  EXPECT_EQ(confirm.caption, "確認");
  EXPECT_EQ(confirm.icon, BoxIcon::Question);
  EXPECT_EQ(confirm.default_answer, Answer::Yes);
  EXPECT_EQ(confirm.escape_answer, Answer::No);

  const BoxLook close = MakeBoxLook(BoxKind::Confirm, kButtonYes | kButtonNo | kButtonCancel);
  EXPECT_EQ(close.default_answer, Answer::Yes);
  EXPECT_EQ(close.escape_answer, Answer::Cancel);

  const BoxLook warning = MakeBoxLook(BoxKind::Warning, kButtonYes | kButtonNo);
  EXPECT_EQ(warning.caption, "警告");
  EXPECT_EQ(warning.icon, BoxIcon::Exclamation);
  EXPECT_EQ(warning.escape_answer, Answer::No);

  const BoxLook error = MakeBoxLook(BoxKind::Error, kButtonOk);
  EXPECT_EQ(error.caption, "Morvick");
  EXPECT_EQ(error.icon, BoxIcon::Error);

  const BoxLook ok_cancel = MakeBoxLook(BoxKind::Confirm, kButtonOk | kButtonCancel);
  EXPECT_EQ(ok_cancel.default_answer, Answer::Ok);
  EXPECT_EQ(ok_cancel.escape_answer, Answer::Cancel);

  EXPECT_STREQ(ButtonText(Answer::Yes), "はい(&Y)");
  EXPECT_STREQ(ButtonText(Answer::No), "いいえ(&N)");
  EXPECT_STREQ(ButtonText(Answer::Cancel), "キャンセル");
}

TEST(Prompter, ConvenienceCallsShowTheRightBoxes) {
  testing::ScriptedPrompter prompter;
  prompter.Answer(Answer::No);
  prompter.Answer(Answer::Cancel);
  prompter.ShowMessage("フォルダを移動しました。");
  EXPECT_EQ(prompter.ConfirmYesNo("よろしいですか？"), Answer::No);
  EXPECT_EQ(prompter.ConfirmYesNoCancel("保存して終了しますか？"), Answer::Cancel);
  prompter.ShowError("ゼロによる除算");
  ASSERT_EQ(prompter.boxes().size(), 4u);
  EXPECT_EQ(prompter.boxes()[0].kind, BoxKind::Message);
  EXPECT_EQ(prompter.boxes()[1].buttons, kButtonYes | kButtonNo);
  EXPECT_EQ(prompter.boxes()[2].buttons, kButtonYes | kButtonNo | kButtonCancel);
  EXPECT_EQ(prompter.boxes()[3].kind, BoxKind::Error);
  EXPECT_EQ(prompter.boxes()[3].text, "ゼロによる除算.");
  EXPECT_TRUE(prompter.AllAnswersUsed());
}

// Whatever escapes a handler ends in the error box with the user's own words.
TEST(ErrorGuard, ShowsWhatEscapedAHandlerAndGoesOn) {
  struct Case {
    std::function<void()> handler;
    const char* shown;  // nullptr: the handler ended normally
  };
  const Case cases[] = {
      {[] {}, nullptr},
      {[] { throw ConversionError("abc"); }, "'abc' は整数ではありません."},
      {[] { throw std::bad_alloc(); }, "メモリが不足しています."},
      {[] { throw 42; }, "予期しないエラーが発生しました."},
  };
  for (const Case& c : cases) {
    testing::ScriptedPrompter prompter;
    EXPECT_EQ(RunGuarded(prompter, c.handler), c.shown == nullptr) << (c.shown ? c.shown : "");
    if (c.shown == nullptr) {
      EXPECT_TRUE(prompter.boxes().empty());
      continue;
    }
    ASSERT_EQ(prompter.boxes().size(), 1u);
    EXPECT_EQ(prompter.boxes()[0].kind, BoxKind::Error);
    EXPECT_EQ(prompter.boxes()[0].text, c.shown);
  }
}

}  // namespace
}  // namespace morvick
