// TreeView1's model over the scan's tree store.

#include "ui/tree_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace morvick {
namespace {

QString Name(const QAbstractItemModel& model, const QModelIndex& index) {
  return model.data(index, Qt::DisplayRole).toString();
}

TEST(TreeModel, PresentsTheStoreOnlyOncePublished) {
  TreeStore store;
  ui::TreeModel model(store, nullptr);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

  // Filling the store while withdrawn shows nothing and announces nothing.
  QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
  const auto docs = store.AddChild(TreeStore::kNone, "docs");
  store.AddChild(docs, "a.txt");
  const auto sub = store.AddChild(docs, "sub");
  store.AddChild(sub, "deep.bin");
  store.AddChild(TreeStore::kNone, "z.iso");
  store.AddChild(docs, "b.txt");
  EXPECT_EQ(model.rowCount({}), 0);
  EXPECT_EQ(resets.count(), 0);

  model.Publish();
  EXPECT_EQ(resets.count(), 1);
  ASSERT_EQ(model.rowCount({}), 2);
  const QModelIndex docs_index = model.index(0, 0, {});
  EXPECT_EQ(Name(model, docs_index), QStringLiteral("docs"));
  EXPECT_EQ(Name(model, model.index(1, 0, {})), QStringLiteral("z.iso"));
  ASSERT_EQ(model.rowCount(docs_index), 3);
  EXPECT_EQ(Name(model, model.index(2, 0, docs_index)), QStringLiteral("b.txt"));
  const QModelIndex sub_index = model.index(1, 0, docs_index);
  const QModelIndex deep = model.index(0, 0, sub_index);
  EXPECT_EQ(Name(model, deep), QStringLiteral("deep.bin"));
  EXPECT_EQ(model.parent(deep), sub_index);
  EXPECT_EQ(model.parent(sub_index), docs_index);
  EXPECT_FALSE(model.parent(docs_index).isValid());
  EXPECT_FALSE(model.hasChildren(deep));
  EXPECT_FALSE(model.index(3, 0, docs_index).isValid());
  EXPECT_FALSE(model.index(0, 1, docs_index).isValid());

  model.Withdraw();
  store.Clear();
  EXPECT_EQ(model.rowCount({}), 0);
  model.Publish();
  EXPECT_EQ(model.rowCount({}), 0);
}

TEST(TreeModel, NamesThatAreNotUtf8StillShow) {
  TreeStore store;
  ui::TreeModel model(store, nullptr);
  store.AddChild(TreeStore::kNone, std::string("bad\xff name", 9));
  model.Publish();
  const QString shown = Name(model, model.index(0, 0, {}));
  EXPECT_TRUE(shown.startsWith(QStringLiteral("bad")));
  EXPECT_TRUE(shown.endsWith(QStringLiteral(" name")));
  EXPECT_TRUE(shown.contains(QChar::ReplacementCharacter));
}

TEST(TreeModel, MillionChildrenOpenWithoutWidgetItems) {
  // A million files directly in the input folder, and as many in one folder below it.
  TreeStore store;
  const auto root = store.AddChild(TreeStore::kNone, "wide");
  for (int i = 0; i < 1000000; ++i) store.AddChild(root, "f" + std::to_string(i));
  for (int i = 1; i < 1000000; ++i) store.AddChild(TreeStore::kNone, "t" + std::to_string(i));
  ui::TreeModel model(store, nullptr);
  model.Publish();
  ASSERT_EQ(model.rowCount({}), 1000000);
  const QModelIndex wide = model.index(0, 0, {});
  ASSERT_EQ(model.rowCount(wide), 1000000);
  // Random access and the way back up are constant-time lookups.
  const QModelIndex last = model.index(999999, 0, wide);
  EXPECT_EQ(Name(model, last), QStringLiteral("f999999"));
  EXPECT_EQ(model.parent(last), wide);
  EXPECT_EQ(last.row(), 999999);
  const QModelIndex last_top = model.index(999999, 0, {});
  EXPECT_EQ(Name(model, last_top), QStringLiteral("t999999"));
  EXPECT_FALSE(model.parent(last_top).isValid());
  EXPECT_FALSE(model.hasChildren(last_top));
}

}  // namespace
}  // namespace morvick
