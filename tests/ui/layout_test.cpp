// The windows' controls: names, containers, positions and sizes at 96 dpi,
// captions, columns, items, menu, keyboard order and fonts.

#include "ui/list_view.h"
#include "ui/main_window.h"
#include "window_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>
#include <QTableWidget>
#include <QTest>
#include <QTreeView>

namespace morvick::testing {
namespace {

struct Placed {
  const char* name;
  const char* container;
  int left, top, width, height;
  const char* caption;  // nullptr: not checked
};

QString CaptionOf(const QWidget* widget) {
  if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
  if (const auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
  return {};
}

void CheckPlacement(const QWidget& window, const Placed& expected) {
  SCOPED_TRACE(expected.name);
  const auto* widget = window.findChild<const QWidget*>(QString::fromLatin1(expected.name));
  ASSERT_NE(widget, nullptr);
  ASSERT_NE(widget->parentWidget(), nullptr);
  EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromLatin1(expected.container));
  EXPECT_EQ(widget->pos(), QPoint(expected.left, expected.top));
  if (qobject_cast<const QLabel*>(widget)) {
    // Labels fit their text in the installed font, never smaller than designed.
    EXPECT_GE(widget->width(), expected.width);
    EXPECT_GE(widget->height(), expected.height);
  } else {
    EXPECT_EQ(widget->size(), QSize(expected.width, expected.height));
  }
  if (expected.caption) {
    EXPECT_EQ(CaptionOf(widget), Q(expected.caption));
  }
}

QStringList HeaderTitles(const QTreeView& list) {
  QStringList titles;
  for (int i = 0; i < list.model()->columnCount(); ++i) {
    titles << list.model()->headerData(i, Qt::Horizontal).toString();
  }
  return titles;
}

QList<int> ColumnWidths(const QTreeView& list) {
  QList<int> widths;
  for (int i = 0; i < list.model()->columnCount(); ++i) widths << list.columnWidth(i);
  return widths;
}

QStringList Items(const QComboBox& box) {
  QStringList items;
  for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
  return items;
}

// The width from the first to the last column with dark pixels in the top
// `rows` rows: the extent of the text drawn there (frame lines are lighter).
int InkWidth(const QImage& image, int rows) {
  int first = -1;
  int last = -1;
  for (int x = 0; x < image.width(); ++x) {
    for (int y = 0; y < std::min(rows, image.height()); ++y) {
      if (qGray(image.pixel(x, y)) >= 100) continue;
      if (first < 0) first = x;
      last = x;
    }
  }
  return first < 0 ? 0 : last - first + 1;
}

using LayoutTest = WindowTest;

TEST_F(LayoutTest, MainWindowControlsAreWhereTheyBelong) {
  Start();
  form().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
  const Placed controls[] = {
      {"ListView2", "ClientArea", 8, 8, 241, 201, nullptr},
      {"ListView1", "ClientArea", 256, 8, 529, 201, nullptr},
      {"TreeView1", "ClientArea", 496, 224, 289, 81, nullptr},
      {"Label1", "ClientArea", 16, 240, 67, 12, "入力フォルダ"},
      {"Edit2", "ClientArea", 88, 240, 361, 20, nullptr},
      {"Button2", "ClientArea", 456, 240, 25, 25, "..."},
      {"Label2", "ClientArea", 16, 280, 67, 12, "出力フォルダ"},
      {"Edit3", "ClientArea", 88, 280, 361, 20, nullptr},
      {"Button3", "ClientArea", 456, 280, 25, 25, "..."},
      {"GroupBox1", "ClientArea", 8, 320, 241, 193, "移動先フォルダ設定"},
      {"Label3", "GroupBox1", 16, 16, 46, 12, "ベース名"},
      {"Edit4", "GroupBox1", 72, 16, 129, 20, nullptr},
      {"Label4", "GroupBox1", 16, 48, 24, 12, "桁数"},
      {"TrackBar1", "GroupBox1", 64, 40, 145, 33, nullptr},
      {"Label7", "GroupBox1", 72, 72, 6, 12, "1"},
      {"Label8", "GroupBox1", 200, 72, 6, 12, "9"},
      {"Label9", "GroupBox1", 16, 88, 46, 12, "開始SEQ"},
      {"SpinEdit1", "GroupBox1", 72, 88, 129, 21, nullptr},
      {"Label6", "GroupBox1", 8, 120, 44, 12, "(sample)"},
      {"Label5", "GroupBox1", 64, 120, 5, 12, nullptr},
      {"CheckBox1", "GroupBox1", 8, 144, 225, 15, "最終SEQの次を開始SEQとする(起動時)"},
      {"CheckBox2", "GroupBox1", 8, 168, 225, 15, "最終フォルダを移動しない"},
      {"RadioGroup1", "ClientArea", 256, 320, 233, 193, "Packing方法"},
      {"GroupBox2", "ClientArea", 496, 320, 289, 73, "分割サイズ"},
      {"Edit1", "GroupBox2", 9, 13, 144, 20, nullptr},
      {"UpDown1", "GroupBox2", 160, 10, 17, 25, nullptr},
      {"ComboBox1", "GroupBox2", 192, 13, 89, 20, nullptr},
      {"ComboBox2", "GroupBox2", 8, 40, 273, 20, nullptr},
      {"Button1", "ClientArea", 496, 408, 73, 41, "分割調査"},
      {"Button6", "ClientArea", 584, 408, 73, 41, "キャンセル"},
      {"GroupBox3", "ClientArea", 672, 408, 113, 41, "クラスタSize(byte)"},
      {"ComboBox3", "GroupBox3", 8, 16, 97, 20, nullptr},
      {"Button5", "ClientArea", 496, 462, 73, 41, "分割開始"},
      {"Button7", "ClientArea", 584, 462, 73, 41, "UNDO"},
      {"Button4", "ClientArea", 672, 462, 113, 41, "終了"},
  };
  for (const Placed& control : controls) CheckPlacement(form(), control);

  EXPECT_EQ(form().windowTitle(), Q("Morvick"));
  EXPECT_EQ(form().centralWidget()->size(), QSize(792, 546 - 29));
  auto* status = Find<QStatusBar>("StatusBar1");
  EXPECT_EQ(status->height(), 29);
  EXPECT_EQ(form().size().width(), 792);
  EXPECT_EQ(form().size().height(), 546 + form().menuBar()->height());
}

TEST_F(LayoutTest, ColumnsItemsAndMenu) {
  Start();
  auto* volumes = Find<QTreeView>("ListView2");
  EXPECT_EQ(HeaderTitles(*volumes), (QStringList{Q("No"), Q("フォルダ"), Q("サイズ")}));
  EXPECT_EQ(ColumnWidths(*volumes), (QList<int>{35, 80, 100}));
  EXPECT_EQ(volumes->model()->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
                Qt::AlignRight,
            Qt::AlignRight);
  EXPECT_EQ(volumes->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(volumes->selectionBehavior(), QAbstractItemView::SelectRows);

  auto* entries = Find<QTreeView>("ListView1");
  EXPECT_EQ(HeaderTitles(*entries),
            (QStringList{Q("No"), Q("名前"), Q("サイズ"), Q("更新日時"), Q("種類")}));
  EXPECT_EQ(ColumnWidths(*entries), (QList<int>{35, 160, 100, 120, 90}));

  EXPECT_EQ(Find<QTreeView>("TreeView1")->indentation(), 19);

  QStringList packing;
  for (int i = 0; i < 8; ++i) {
    auto* item =
        Find<QAbstractButton>(QStringLiteral("RadioGroup1Item%1").arg(i).toLatin1().constData());
    ASSERT_NE(item, nullptr);
    packing << item->text();
  }
  EXPECT_EQ(packing, (QStringList{Q("名前(昇順)"), Q("名前(降順)"), Q("更新日時(昇順)"),
                                  Q("更新日時(降順)"), Q("種類(昇順)"), Q("種類(降順)"),
                                  Q("無駄なく(ビンパッキング問題の解法)"), Q("指定無")}));

  EXPECT_EQ(Items(*Find<QComboBox>("ComboBox1")), (QStringList{Q("Mbytes"), Q("bytes")}));
  auto* cluster = Find<QComboBox>("ComboBox3");
  EXPECT_TRUE(cluster->isEditable());
  EXPECT_EQ(Items(*cluster),
            (QStringList{Q("0"), Q("512"), Q("1024"), Q("2048"), Q("4096"), Q("8192"), Q("16384"),
                         Q("32768"), Q("65536"), Q("131072"), Q("262144")}));

  auto* track = Find<QSlider>("TrackBar1");
  EXPECT_EQ(track->minimum(), 1);
  EXPECT_EQ(track->maximum(), 9);
  EXPECT_EQ(track->tickInterval(), 1);
  EXPECT_EQ(track->tickPosition(), QSlider::TicksBelow);
  EXPECT_EQ(track->pageStep(), 1);
  auto* spin = Find<QSpinBox>("SpinEdit1");
  EXPECT_EQ(spin->minimum(), 1);
  EXPECT_EQ(spin->maximum(), 999999999);

  const QList<QAction*> menus = form().menuBar()->actions();
  ASSERT_EQ(menus.size(), 1);
  EXPECT_EQ(menus[0]->text(), Q("&Property"));
  QStringList items;
  for (const QAction* action : menus[0]->menu()->actions()) items << action->text();
  EXPECT_EQ(items, (QStringList{Q("&Help"), Q("&Setting"), Q("&About")}));
}

TEST_F(LayoutTest, TabOrderFocusAndFonts) {
  Start();
  form().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
  QApplication::setActiveWindow(&form());
  EXPECT_EQ(FocusedControl(), Q("ListView2"));

  Find<QWidget>("Edit2")->setFocus();
  QStringList visited{FocusedControl()};
  for (int i = 0; i < 20; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << FocusedControl();
  }
  EXPECT_EQ(visited,
            (QStringList{Q("Edit2"),     Q("Button2"),          Q("Edit3"),     Q("Button3"),
                         Q("Edit4"),     Q("TrackBar1"),        Q("SpinEdit1"), Q("CheckBox1"),
                         Q("CheckBox2"), Q("RadioGroup1Item0"), Q("Button1"),   Q("Button5"),
                         Q("Button6"),   Q("Button4"),          Q("Button7"),   Q("Edit1"),
                         Q("ComboBox1"), Q("ComboBox2"),        Q("ComboBox3"), Q("CheckBox3"),
                         Q("Edit2")}));

  const QFont font = Find<QWidget>("Edit2")->font();
  EXPECT_EQ(font.pixelSize(), 12);
  EXPECT_TRUE(Find<QLabel>("Label5")->font().bold());
}

// The texts the window shows, measured in the font really drawn (the family
// that was resolved, not the one asked for): captions, column titles, and the
// widest values of the lists' date and size columns, each whole at the
// designed sizes.
TEST_F(LayoutTest, TextsShowWholeInTheFontReallyUsed) {
  Start();
  form().show();
  const QFont font = Find<QWidget>("Edit2")->font();
  EXPECT_EQ(QFontInfo(font).family(), font.family());
  EXPECT_TRUE((QStringList{Q("MS PGothic"), Q("IPAGothic"), Q("IPAPGothic"), Q("Noto Sans CJK JP")})
                  .contains(font.family()))
      << font.family().toStdString();

  const QFontMetrics metrics(font);
  const auto advance = [&metrics](const QString& text) { return metrics.horizontalAdvance(text); };
  auto* entries = Find<QTreeView>("ListView1");
  auto* volumes = Find<QTreeView>("ListView2");
  const QStyle* style = entries->style();
  // An item view keeps a margin on each side of a cell's text.
  const int cell_margins =
      2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, entries) + 1);
  for (char digit = '0'; digit <= '9'; ++digit) {
    QString date = QStringLiteral("0000/00/00 00:00:00");
    QString size = QStringLiteral("000,000,000,000");
    for (QString* text : {&date, &size}) text->replace(QLatin1Char('0'), QLatin1Char(digit));
    EXPECT_LE(advance(date) + cell_margins, entries->columnWidth(3)) << date.toStdString();
    EXPECT_LE(advance(size) + cell_margins, entries->columnWidth(2)) << size.toStdString();
    EXPECT_LE(advance(size) + cell_margins, volumes->columnWidth(2)) << size.toStdString();
  }
  const int header_margins = 2 * style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, entries);
  for (const QTreeView* list : {entries, volumes}) {
    const QAbstractItemModel* model = list->model();
    for (int column = 0; column < model->columnCount(); ++column) {
      const QString title = model->headerData(column, Qt::Horizontal).toString();
      EXPECT_LE(advance(title) + header_margins, list->columnWidth(column)) << title.toStdString();
    }
  }

  // Buttons, check boxes and radio items: the text within the part of the
  // control that the style gives it.
  for (const QAbstractButton* button : form().findChildren<QAbstractButton*>()) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(button)) contents = QStyle::SE_CheckBoxContents;
    if (qobject_cast<const QRadioButton*>(button)) contents = QStyle::SE_RadioButtonContents;
    const QRect text_area = button->style()->subElementRect(contents, &option, button);
    EXPECT_LE(advance(button->text()), text_area.width()) << button->objectName().toStdString();
  }
  // A group's caption is drawn over its frame line: it shows whole when its
  // ink in the group spans as wide as the caption drawn on its own.
  for (QGroupBox* group : form().findChildren<QGroupBox*>()) {
    QImage alone(metrics.horizontalAdvance(group->title()) + 8, metrics.height(),
                 QImage::Format_RGB32);
    alone.fill(Qt::white);
    QPainter painter(&alone);
    painter.setFont(group->font());
    painter.setPen(Qt::black);
    painter.drawText(alone.rect(), Qt::AlignCenter, group->title());
    painter.end();
    EXPECT_GE(InkWidth(group->grab().toImage(), metrics.height()), InkWidth(alone, alone.height()))
        << group->objectName().toStdString();
  }
}

TEST_F(LayoutTest, StatusPanelFollowsTheWindowsBottomAndWidth) {
  Start();
  form().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
  form().resize(1000, 700);
  QApplication::processEvents();
  auto* status = Find<QStatusBar>("StatusBar1");
  EXPECT_EQ(status->geometry().bottom(), form().height() - 1);
  EXPECT_EQ(status->width(), 1000);
  auto* panel = Find<QLabel>("StatusPanel");
  const std::string long_text(300, 'x');
  form().SetStatusText(long_text);
  QApplication::processEvents();
  EXPECT_GT(panel->width(), 900);  // reaches the right end of the bar
  // Every other control keeps its place.
  EXPECT_EQ(Find<QWidget>("Button4")->pos(), QPoint(672, 462));
}

TEST_F(LayoutTest, Dialogs) {
  Start();
  QDialog& editor = *windows_.preset_editor;
  EXPECT_EQ(editor.windowTitle(), Q("分割リスト設定"));
  EXPECT_EQ(editor.size(), QSize(429, 314));
  const Placed editor_controls[] = {
      {"Bevel1", "TOKBottomDlg1", 8, 8, 409, 249, nullptr},
      {"Label1", "TOKBottomDlg1", 24, 24, 96, 12, "分割リスト(表示用)"},
      {"Label2", "TOKBottomDlg1", 256, 24, 34, 12, "サイズ"},
      {"StringGrid1", "TOKBottomDlg1", 16, 40, 385, 193, nullptr},
      {"Bevel2", "TOKBottomDlg1", 8, 264, 233, 41, nullptr},
      {"Label3", "TOKBottomDlg1", 16, 272, 149, 12, "次回起動時に有効になります"},
      {"Label4", "TOKBottomDlg1", 24, 288, 139, 11, "(バイト単位で入力してください)"},
      {"OKBtn", "TOKBottomDlg1", 255, 264, 75, 37, "保存終了"},
      {"CancelBtn", "TOKBottomDlg1", 343, 264, 75, 37, "キャンセル"},
  };
  for (const Placed& control : editor_controls) CheckPlacement(editor, control);
  auto* grid = editor.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->rowCount(), 20);
  EXPECT_EQ(grid->columnCount(), 2);
  EXPECT_EQ(grid->columnWidth(0), 233);
  EXPECT_EQ(grid->columnWidth(1), 125);
  EXPECT_EQ(grid->rowHeight(0), 18);
  EXPECT_TRUE(grid->verticalHeader()->sectionsMovable());
  EXPECT_TRUE(grid->horizontalHeader()->sectionsMovable());
  EXPECT_EQ(grid->selectionMode(), QAbstractItemView::ContiguousSelection);
  EXPECT_EQ(editor.findChild<QLabel*>(QStringLiteral("Label4"))->font().pixelSize(), 11);

  QDialog& about = *windows_.about_box;
  EXPECT_EQ(about.windowTitle(), Q("バージョン情報"));
  EXPECT_EQ(about.size(), QSize(251, 165));
  const Placed about_controls[] = {
      {"Panel1", "TAboutBox1", 8, 8, 233, 113, nullptr},
      {"ProgramIcon", "Panel1", 8, 8, 49, 41, nullptr},
      {"ProductName", "Panel1", 72, 24, 120, 12, "プロダクト名     Morvick"},
      {"Version", "Panel1", 72, 48, 95, 12, "バージョン番号 1.9"},
      {"OKButton", "TAboutBox1", 79, 132, 75, 25, "OK"},
  };
  for (const Placed& control : about_controls) CheckPlacement(about, control);
}

}  // namespace
}  // namespace morvick::testing
