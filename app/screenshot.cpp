// Shows the main window after an investigation of a generated sample folder
// and writes a picture of it: morvick_screenshot OUTPUT.png

#include "app/startup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <utility>

namespace {

// Questions are not expected; every box is answered as OK and reported.
class SilentPrompter : public morvick::Prompter {
 public:
  morvick::Answer Ask(morvick::BoxKind kind, std::string_view text, unsigned buttons) override {
    std::fprintf(stderr, "box: %.*s\n", static_cast<int>(text.size()), text.data());
    return morvick::MakeBoxLook(kind, buttons).escape_answer;
  }
};

constexpr qint64 kMebibyte = 1024 * 1024;

bool MakeFile(const QString& path, qint64 size) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.resize(size);  // sparse: no disk used
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
    return 2;
  }
  morvick::app::SetApplicationIdentity();
  QTemporaryDir work;
  if (!work.isValid()) return 1;
  const QString input = work.filePath(QStringLiteral("写真とビデオ"));
  const std::pair<const char*, qint64> sample[] = {
      {"2023_旅行/day1.mp4", 310 * kMebibyte},
      {"2023_旅行/day2.mp4", 120 * kMebibyte},
      {"2024_卒業式.mov", 380 * kMebibyte},
      {"家族写真/001.jpg", 6 * kMebibyte},
      {"家族写真/002.jpg", 5 * kMebibyte},
      {"archive.iso", 900 * kMebibyte},
      {"music/track01.flac", 41 * kMebibyte},
      {"music/track02.flac", 38 * kMebibyte},
      {"notes.txt", 4096},
      {"report.pdf", 2 * kMebibyte},
      {"screen_capture.mkv", 455 * kMebibyte},
      {"slides.pptx", 12 * kMebibyte},
  };
  for (const auto& [name, size] : sample) {
    if (!MakeFile(input + QLatin1Char('/') + QString::fromUtf8(name), size)) return 1;
  }

  SilentPrompter prompter;
  const auto path = [&work](const char* name) {
    return work.filePath(QString::fromUtf8(name)).toStdString();
  };
  morvick::app::ProgramWindows windows = morvick::app::CreateProgramWindows(
      prompter, {path("morvick.ini"), path("morvick.dat"), path("morvick.dat"), path("help.html"),
                 path("journals")});
  morvick::ui::TForm1& form = *windows.main_window;
  form.SetEditText(2, input.toStdString());
  form.SetEditText(3, path("出力"));
  form.SetRadioGroup1Index(6);
  form.show();
  form.Button1Click();

  QTimer::singleShot(500, &form, [&form, argv] {
    const bool saved = form.grab().save(QString::fromLocal8Bit(argv[1]), "PNG");
    if (!saved) std::fprintf(stderr, "cannot write %s\n", argv[1]);
    // exit, not quit: quit would ask the window to close, and so run its prompt.
    QApplication::exit(saved ? 0 : 1);
  });
  return QApplication::exec();
}
