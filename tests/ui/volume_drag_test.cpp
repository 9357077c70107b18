// Dragging a volume out of ListView2: when a drag starts, what it carries,
// and what happens when the volume's items are not where Move put them.

#include "ui/volume_drag.h"
#include "ui/list_view.h"
#include "ui/main_window.h"
#include "window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QSpinBox>

#include <filesystem>
#include <map>
#include <memory>

namespace morvick::testing {
namespace {

// Records every drag instead of running a drag loop.
class RecordingDragRunner : public ui::DragRunner {
 public:
  Qt::DropAction Run(QWidget& source, std::unique_ptr<QMimeData> data,
                     Qt::DropActions allowed) override {
    sources.push_back(&source);
    allowed_actions.push_back(allowed);
    uri_lists.push_back(data->data(QStringLiteral("text/uri-list")));
    urls.push_back(data->urls());
    return Qt::CopyAction;
  }
  std::size_t count() const { return urls.size(); }

  std::vector<QWidget*> sources;
  std::vector<Qt::DropActions> allowed_actions;
  std::vector<QByteArray> uri_lists;
  std::vector<QList<QUrl>> urls;
};

class VolumeDragTest : public WindowTest {
 protected:
  void StartShown() {
    Start();
    form().SetDragRunner(&drags_);
    form().show();
  }
  QLineEdit* Edit(int number) {
    return Find<QLineEdit>(QStringLiteral("Edit%1").arg(number).toLatin1().constData());
  }
  ui::ListView* Volumes() { return Find<ui::ListView>("ListView2"); }
  QWidget* Viewport() { return Volumes()->viewport(); }

  // Plans the files of in/ into volumes of `split_bytes` with `method`, and
  // moves them into out/ when `move` is set.
  void Plan(int split_bytes, int method, bool move) {
    Edit(1)->setText(QString::number(split_bytes));
    Find<QComboBox>("ComboBox1")->setCurrentIndex(1);  // bytes
    form().SetRadioGroup1Index(method);
    Edit(2)->setText(QString::fromStdString(dir_.Path("in")));
    Edit(3)->setText(QString::fromStdString(dir_.Path("out")));
    Find<QAbstractButton>("Button1")->click();
    ASSERT_TRUE(form().state().SearchDone);
    if (move) {
      prompter_.Answer(Answer::Yes);
      Find<QAbstractButton>("Button5")->click();
      ASSERT_TRUE(form().state().UpdateDone);
    }
    prompter_.Clear();
  }

  // The centre of a row of ListView2, in its viewport.
  QPoint RowPoint(int row) {
    return Volumes()->visualRect(Volumes()->model()->index(row, 0)).center();
  }

  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, at, Viewport()->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &event);
  }
  void Press(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    Mouse(QEvent::MouseButtonPress, at, button, button);
  }
  void MoveTo(QPoint at, Qt::MouseButtons held = Qt::LeftButton) {
    Mouse(QEvent::MouseMove, at, Qt::NoButton, held);
  }
  void Release(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    Mouse(QEvent::MouseButtonRelease, at, button, Qt::NoButton);
  }
  // Drags row `row` by `offset` and lets go; returns the drags begun.
  std::size_t DragRow(int row, QPoint offset) {
    const std::size_t before = drags_.count();
    const QPoint origin = RowPoint(row);
    Press(origin);
    MoveTo(origin + offset);
    Release(origin + offset);
    return drags_.count() - before;
  }

  RecordingDragRunner drags_;
};

TEST_F(VolumeDragTest, StartsOnlyOnceThePointerIsFivePixelsAway) {
  dir_.CreateFile("in/a.bin", 10);
  StartShown();
  Plan(1000, 0, true);
  struct Case {
    QPoint offset;
    bool drags;
  };
  const Case cases[] = {
      {{0, 0}, false}, {{4, 0}, false}, {{0, 4}, false}, {{-4, 4}, false}, {{4, -4}, false},
      {{5, 0}, true},  {{0, 5}, true},  {{-5, 0}, true}, {{0, -5}, true},  {{5, 5}, true},
      {{4, 5}, true},  {{-5, 4}, true}, {{40, 0}, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DragRow(0, c.offset), c.drags ? 1u : 0u)
        << "offset " << c.offset.x() << "," << c.offset.y();
  }
  ASSERT_GT(drags_.count(), 0u);
  EXPECT_EQ(drags_.sources.front(), Volumes());
  for (Qt::DropActions allowed : drags_.allowed_actions) EXPECT_EQ(allowed, Qt::CopyAction);

  // Small moves first, then a long one: the origin is the press, not the
  // previous pointer position.
  const std::size_t before = drags_.count();
  const QPoint origin = RowPoint(0);
  Press(origin);
  for (int x = 1; x <= 4; ++x) MoveTo(origin + QPoint(x, 0));
  EXPECT_EQ(drags_.count(), before);
  MoveTo(origin + QPoint(5, 0));
  EXPECT_EQ(drags_.count(), before + 1);
  // The press ended with the drag: further moves start no second one.
  MoveTo(origin + QPoint(20, 0));
  MoveTo(origin + QPoint(30, 3));
  EXPECT_EQ(drags_.count(), before + 1);
  Release(origin + QPoint(30, 3));

  // Without a press nothing drags, whatever the buttons claim after a release.
  MoveTo(origin + QPoint(20, 20), Qt::NoButton);
  EXPECT_EQ(drags_.count(), before + 1);
  EXPECT_TRUE(prompter_.boxes().empty());
}

TEST_F(VolumeDragTest, ASelectedRowDraggedOffTheRowsStaysTheDraggedOne) {
  dir_.CreateFile("in/a.bin", 10);
  StartShown();
  Plan(1000, 0, true);
  // Pressing a row that is already selected settles the selection only at the
  // release; the drag leaves the rows at once, below the last one.
  const QPoint below_rows(RowPoint(0).x(), Viewport()->height() - 2);
  ASSERT_FALSE(Volumes()->indexAt(below_rows).isValid());
  for (int attempt = 0; attempt < 3; ++attempt) {
    EXPECT_EQ(DragRow(0, below_rows - RowPoint(0)), 1u) << "attempt " << attempt;
    EXPECT_EQ(Volumes()->SelectedRow(), 0);
  }
  EXPECT_TRUE(prompter_.boxes().empty());
}

TEST_F(VolumeDragTest, RightButtonSetsNoOriginAndNeverDrags) {
  dir_.CreateFile("in/a.bin", 10);
  StartShown();
  Plan(1000, 0, true);
  const QPoint origin = RowPoint(0);
  Press(origin);
  Release(origin);
  EXPECT_EQ(form().DragOrigin(), origin);

  const QPoint elsewhere = origin + QPoint(30, 2);
  Press(elsewhere, Qt::RightButton);
  EXPECT_EQ(form().DragOrigin(), origin);
  MoveTo(elsewhere + QPoint(40, 0), Qt::RightButton);
  Release(elsewhere + QPoint(40, 0), Qt::RightButton);
  EXPECT_EQ(drags_.count(), 0u);

  // Without a selected row there is nothing to drag.
  Volumes()->clearSelection();
  form().ListView2MouseDown(Qt::LeftButton, 1, 1);
  form().ListView2MouseMove(50, 50);
  EXPECT_EQ(drags_.count(), 0u);
  EXPECT_TRUE(prompter_.boxes().empty());
}

TEST_F(VolumeDragTest, OffersTheVolumeItemsAsEncodedFileUrlsInPlanOrder) {
  const std::vector<std::string> odd_names = {"a b.txt", "#tag", "100%", "日本語 ファイル.txt",
                                              "x?y&z=1"};
  for (const std::string& name : odd_names) dir_.CreateFile("in/" + name, 100);
  dir_.CreateFile("in/big.bin", 950);
  StartShown();
  Edit(4)->setText(Q("Vol"));
  Find<QSlider>("TrackBar1")->setValue(2);
  Find<QSpinBox>("SpinEdit1")->setValue(5);
  // First fit by decreasing size: big.bin fills volume 1, the rest volume 2.
  Plan(1000, 6, true);
  ASSERT_EQ(Volumes()->RowCount(), 2);
  ASSERT_EQ(Volumes()->Text(1, 1), "Vol06");

  const std::string root = dir_.path();
  ASSERT_EQ(
      root.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/_.-"),
      std::string::npos)
      << "the expected URLs below assume a temporary folder without special characters";
  const std::map<std::string, std::string> encoded = {
      {"a b.txt", "a%20b.txt"},
      {"#tag", "%23tag"},
      {"100%", "100%25"},
      {"日本語 ファイル.txt",
       "%E6%97%A5%E6%9C%AC%E8%AA%9E%20%E3%83%95%E3%82%A1%E3%82%A4%E3%83%AB.txt"},
      {"x?y&z=1", "x%3Fy%26z%3D1"},
  };
  // The plan's order for volume 2, as the entry list shows it.
  auto* entries = Find<ui::ListView>("ListView1");
  QByteArray expected;
  std::vector<std::string> expected_paths;
  for (int row = 0; row < entries->RowCount(); ++row) {
    if (entries->Text(row, 0) != "2") continue;
    const std::string name = entries->Text(row, 1);
    expected += "file://" + root + "/out/Vol06/" + encoded.at(name) + "\r\n";
    expected_paths.push_back(root + "/out/Vol06/" + name);
  }
  ASSERT_EQ(expected_paths.size(), odd_names.size());

  ASSERT_EQ(DragRow(1, {0, 6}), 1u);
  ASSERT_TRUE(prompter_.boxes().empty()) << prompter_.texts().front();
  EXPECT_EQ(drags_.uri_lists.back(), expected);
  ASSERT_EQ(drags_.urls.back().size(), static_cast<qsizetype>(expected_paths.size()));
  for (std::size_t i = 0; i < expected_paths.size(); ++i) {
    EXPECT_EQ(drags_.urls.back()[static_cast<qsizetype>(i)].toLocalFile().toStdString(),
              expected_paths[i]);
  }

  // Volume 1 holds big.bin alone; nothing moved or disappeared by dragging.
  ASSERT_EQ(DragRow(0, {-6, 0}), 1u);
  EXPECT_EQ(drags_.uri_lists.back(),
            "file://" + QByteArray::fromStdString(root) + "/out/Vol05/big.bin\r\n");
  for (const std::string& path : expected_paths) EXPECT_TRUE(PathExists(path)) << path;
}

TEST_F(VolumeDragTest, MissingItemsShowTheErrorBoxAndStartNoDrag) {
  dir_.CreateFile("in/a.bin", 100);
  dir_.CreateFile("in/b.bin", 100);
  dir_.CreateFile("in/c.bin", 100);
  StartShown();
  Plan(250, 0, false);  // volumes: a b | c
  ASSERT_EQ(Volumes()->RowCount(), 2);

  // Before Move the volume folder does not exist.
  EXPECT_EQ(DragRow(0, {10, 0}), 0u);
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].kind, BoxKind::Error);
  EXPECT_EQ(prompter_.boxes()[0].text, "'" + dir_.Path("out/folder00001") +
                                           "' をドラッグできません: No such file or directory.");
  // The failed drag ended the press: the following moves try nothing more.
  const QPoint origin = RowPoint(0);
  Press(origin);
  MoveTo(origin + QPoint(10, 0));
  MoveTo(origin + QPoint(20, 0));
  EXPECT_EQ(prompter_.boxes().size(), 2u);
  Release(origin + QPoint(20, 0));
  prompter_.Clear();

  // After Move, skipping the last volume: volume 1 drags, volume 2 is missing.
  Find<QCheckBox>("CheckBox2")->setChecked(true);
  prompter_.Answer(Answer::Yes);
  Find<QAbstractButton>("Button5")->click();
  prompter_.Clear();
  EXPECT_EQ(DragRow(0, {10, 0}), 1u);
  EXPECT_EQ(DragRow(1, {10, 0}), 0u);
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].text, "'" + dir_.Path("out/folder00002") +
                                           "' をドラッグできません: No such file or directory.");
  prompter_.Clear();

  // An item renamed since the move is named in the error.
  std::filesystem::rename(dir_.Path("out/folder00001/b.bin"), dir_.Path("out/folder00001/B.bin"));
  EXPECT_EQ(DragRow(0, {0, 10}), 0u);
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].text, "'" + dir_.Path("out/folder00001/b.bin") +
                                           "' をドラッグできません: No such file or directory.");
  EXPECT_TRUE(form().state().UpdateDone);  // the plan is untouched
  EXPECT_EQ(drags_.count(), 1u);
}

TEST(BuildVolumeDataObject, KeepsTheRawBytesOfEveryPath) {
  EXPECT_EQ(ui::BuildVolumeDataObject({}), nullptr);
  const auto data = ui::BuildVolumeDataObject({"/vol/\xff\xfe.bin", "/vol/a b#", "/vol/plain"});
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->data(QStringLiteral("text/uri-list")),
            "file:///vol/%FF%FE.bin\r\nfile:///vol/a%20b%23\r\nfile:///vol/plain\r\n");
}

}  // namespace
}  // namespace morvick::testing
