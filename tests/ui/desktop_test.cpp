// The windows on a real X display (Xvfb, see CMakeLists.txt): their titles
// read back from the X server, since Qt may add to a title on its way to the
// platform window, and the help window on a screen of a common size.

#include "app/startup.h"
#include "settings/settings_paths.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "ui/help_window.h"
#include "ui/qt_prompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace morvick::testing {
namespace {

// The title the window manager reads: the window's _NET_WM_NAME property.
std::string TitleOnTheDesktop(QWidget& window) {
  window.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  QProcess xprop;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
  xprop.setProcessEnvironment(environment);
  xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window.winId()),
                                        QStringLiteral("_NET_WM_NAME")});
  EXPECT_TRUE(xprop.waitForFinished());
  // _NET_WM_NAME(UTF8_STRING) = "確認"
  const QString line = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
  const qsizetype first = line.indexOf(QLatin1Char('"'));
  const qsizetype last = line.lastIndexOf(QLatin1Char('"'));
  window.hide();
  if (first < 0 || last <= first) return "(no title: " + line.toStdString() + ")";
  return line.mid(first + 1, last - first - 1).toStdString();
}

TEST(WindowTitles, AreTheProgramsOwnWithoutAnyAddition) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) {
    GTEST_SKIP() << "needs an X display";
  }
  TempDir dir;
  ScriptedPrompter prompter;
  app::ProgramWindows windows = app::CreateProgramWindows(
      prompter, {dir.Path("morvick.ini"), dir.Path("morvick.dat"), dir.Path("morvick.dat"),
                 dir.Path("help/index.html"), dir.Path("journals")});
  EXPECT_EQ(TitleOnTheDesktop(*windows.main_window), "Morvick");
  EXPECT_EQ(TitleOnTheDesktop(*windows.about_box), "バージョン情報");
  EXPECT_EQ(TitleOnTheDesktop(*windows.preset_editor), "分割リスト設定");
  ui::HelpWindow help(windows.main_window.get());
  help.ShowContents(dir.Path("help/index.html"));
  EXPECT_EQ(TitleOnTheDesktop(help), "Morvick ヘルプ");

  const std::pair<BoxKind, const char*> boxes[] = {
      {BoxKind::Confirm, "確認"},
      {BoxKind::Warning, "警告"},
      {BoxKind::Message, "Morvick"},
      {BoxKind::Error, "Morvick"},
  };
  for (const auto& [kind, caption] : boxes) {
    QMessageBox box;
    ui::PrepareMessageBox(box, MakeBoxLook(kind, kButtonYes | kButtonNo), QStringLiteral("text"));
    EXPECT_EQ(TitleOnTheDesktop(box), caption);
  }
}

TEST(HelpWindow, ShowsItsPageWithoutScrollingSideways) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) {
    GTEST_SKIP() << "needs an X display";
  }
  ui::HelpWindow help(nullptr);
  help.ShowContents(HelpFilePath());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
  EXPECT_FALSE(help.showing_missing_file());
  EXPECT_EQ(help.horizontalScrollBar()->maximum(), 0);  // the picture of the window fits
}

}  // namespace
}  // namespace morvick::testing

int main(int argc, char** argv) {
  // A real X display when there is one (the test runs under Xvfb); without
  // one the test is skipped rather than run on a platform without titles.
  if (qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  else
    qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication application(argc, argv);
  morvick::app::SetApplicationIdentity();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
