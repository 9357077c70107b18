#include "cli/cli_prompter.h"
#include "cli/plan_output.h"
#include "cli/progress.h"
#include "cli/transfer_progress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace morvick::cli {
namespace {

// A stream whose text the test reads back.
class MemoryStream {
 public:
  MemoryStream() : file_(open_memstream(&buffer_, &size_)) {}
  ~MemoryStream() {
    std::fclose(file_);
    std::free(buffer_);
  }
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;
  std::FILE* get() { return file_; }
  std::string text() {
    std::fflush(file_);
    return std::string(buffer_, size_);
  }

 private:
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* file_;
};

TEST(Confirmation, FollowsYesTerminalAndNoTerminalRules) {
  struct Case {
    ConfirmPolicy policy;
    std::string typed;
    Answer answer;
    std::string shown;
  };
  const Case cases[] = {
      {{true, false}, "", Answer::Yes, ""},
      {{true, true}, "n\n", Answer::Yes, ""},
      {{false, false},
       "y\n",
       Answer::No,
       "よろしいですか？\nmorvick-cli: no terminal to answer on; nothing was changed (pass --yes "
       "to confirm)\n"},
      {{false, true}, "y\n", Answer::Yes, "よろしいですか？ [y/N] "},
      {{false, true}, " YES \n", Answer::Yes, "よろしいですか？ [y/N] "},
      {{false, true}, "はい\n", Answer::Yes, "よろしいですか？ [y/N] "},
      {{false, true}, "\n", Answer::No, "よろしいですか？ [y/N] "},
      {{false, true}, "yes please\n", Answer::No, "よろしいですか？ [y/N] "},
      {{false, true}, "", Answer::No, "よろしいですか？ [y/N] \n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    MemoryStream messages;
    std::string typed = c.typed;
    std::FILE* answers = fmemopen(typed.data(), typed.size() + 1, "r");
    CliPrompter prompter(c.policy, messages.get(), answers);
    EXPECT_EQ(prompter.ConfirmYesNo("よろしいですか？"), c.answer);
    EXPECT_EQ(messages.text(), c.shown);
    EXPECT_EQ(prompter.refused_without_terminal(), !c.policy.assume_yes && !c.policy.interactive);
    std::fclose(answers);
  }
  MemoryStream messages;
  CliPrompter prompter({false, false}, messages.get(), stdin);
  prompter.ShowMessage("入力フォルダがありません。");
  prompter.ShowError("'x' は整数ではありません");
  EXPECT_EQ(messages.text(), "入力フォルダがありません。\n'x' は整数ではありません.\n");
}

TEST(Progress, RedrawsAtMostTenTimesASecondAndClearsItsLine) {
  MemoryStream out;
  EntryList entries;
  const auto start = std::chrono::steady_clock::now();
  {
    ScanProgress progress(out.get());
    for (int i = 0; i < 300000; ++i) {
      if (i % 1000 == 0) {
        entries.Add("f", 1000, 0, false);
      }
      progress.Tick(entries);
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::string text = out.text();
  std::size_t draws = 0;
  for (std::size_t at = text.find("[検索中] "); at != std::string::npos;
       at = text.find("[検索中] ", at + 1)) {
    ++draws;
  }
  EXPECT_GE(draws, 1u);
  EXPECT_LE(static_cast<double>(draws), seconds * 10 + 1);
  EXPECT_EQ(text.substr(text.size() - 4), "\r\x1b[K");  // the line is cleared at the end
  EXPECT_NE(text.find("[検索中] 64 entries, 1,000 bytes"), std::string::npos) << text;
}

// The line of copy and verify: bytes of the total, the rate, and the time left
// at that rate; neither before a byte is read, no time left without a total.
TEST(Progress, TransferLineShowsBytesRateAndTimeLeft) {
  struct Case {
    std::int64_t done, total;
    double seconds;
    const char* line;
  };
  const Case cases[] = {
      {0, 1000, 0.0, "[検証中] 0 / 1,000 bytes"},
      {500000000, 1500000000, 2.0,
       "[検証中] 500,000,000 / 1,500,000,000 bytes, 250.0 MB/s, "
       "0:00:04 left"},
      {1000000, 3601000000, 1.0,
       "[検証中] 1,000,000 / 3,601,000,000 bytes, 1.0 MB/s, 1:00:00 left"},
      {3000000, 0, 1.0, "[検証中] 3,000,000 bytes, 3.0 MB/s"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TransferProgress::LineText("[検証中] ", c.done, c.total, c.seconds), c.line);
  }
  MemoryStream out;
  {
    TransferProgress progress(out.get(), "[コピー中] ");
    progress.Update(10, 20);  // the first call draws at once
    progress.Update(15, 20);  // within a tenth of a second: not drawn
  }
  const std::string text = out.text();
  EXPECT_EQ(text.rfind("\r[コピー中] 10 / 20 bytes", 0), 0u) << text;
  EXPECT_EQ(text.find("15 / 20"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 4), "\r\x1b[K");
}

TEST(TableText, WidthsAndReplacements) {
  EXPECT_EQ(DisplayWidth("abc"), 3u);
  EXPECT_EQ(DisplayWidth("名前"), 4u);
  EXPECT_EQ(DisplayWidth("a\xff"), 2u);
  EXPECT_EQ(DisplayText("a\xff\tb"),
            "a\xEF\xBF\xBD\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(DisplayText("日本"), "日本");
}

}  // namespace
}  // namespace morvick::cli
