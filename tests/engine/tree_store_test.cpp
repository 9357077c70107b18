#include "engine/tree_store.h"

#include <gtest/gtest.h>

#include <string>

namespace morvick {
namespace {

TEST(TreeStore, LinksChildrenInOrderAndFindsThemByRow) {
  TreeStore tree;
  const auto a = tree.AddChild(TreeStore::kNone, "a");
  const auto a1 = tree.AddChild(a, "a1");
  const auto b = tree.AddChild(TreeStore::kNone, "b");
  const auto a2 = tree.AddChild(a, "a2");
  const auto a1x = tree.AddChild(a1, std::string("\xff\xfe name", 7));

  EXPECT_EQ(tree.child_count(TreeStore::kNone), 2u);
  EXPECT_EQ(tree.child(TreeStore::kNone, 0), a);
  EXPECT_EQ(tree.child(TreeStore::kNone, 1), b);
  EXPECT_EQ(tree.child(TreeStore::kNone, 2), TreeStore::kNone);
  EXPECT_EQ(tree.row(b), 1u);

  EXPECT_EQ(tree.child_count(a), 2u);
  EXPECT_EQ(tree.child(a, 1), a2);
  EXPECT_EQ(tree.row(a2), 1u);
  EXPECT_EQ(tree.parent(a2), a);
  EXPECT_EQ(tree.parent(a), TreeStore::kNone);
  EXPECT_EQ(tree.child(a1, 0), a1x);
  EXPECT_EQ(tree.name(a1x), std::string("\xff\xfe name", 7));
  EXPECT_EQ(tree.child_count(b), 0u);

  // Nodes added after a lookup are found too (the row index is rebuilt).
  const auto b1 = tree.AddChild(b, "b1");
  const auto b1x = tree.AddChild(b1, "b1x");
  EXPECT_EQ(tree.child(b, 0), b1);
  EXPECT_EQ(tree.name(b1), "b1");
  EXPECT_EQ(tree.child(b1, 0), b1x);

  // A folder whose reading failed loses what was added below it, names included.
  tree.RemoveChildren(b1);
  EXPECT_EQ(tree.size(), 6u);
  EXPECT_EQ(tree.child_count(b1), 0u);
  EXPECT_EQ(tree.child(b1, 0), TreeStore::kNone);
  const auto b2 = tree.AddChild(b, "b2");
  EXPECT_EQ(tree.name(b2), "b2");
  EXPECT_EQ(tree.child(b, 1), b2);
  EXPECT_EQ(tree.name(a1x), std::string("\xff\xfe name", 7));
  tree.RemoveChildren(TreeStore::kNone);
  EXPECT_EQ(tree.size(), 0u);
  EXPECT_EQ(tree.child_count(TreeStore::kNone), 0u);
  tree.AddChild(TreeStore::kNone, "again");

  tree.Clear();
  EXPECT_EQ(tree.size(), 0u);
  EXPECT_EQ(tree.child_count(TreeStore::kNone), 0u);
  EXPECT_EQ(tree.child(TreeStore::kNone, 0), TreeStore::kNone);
}

TEST(TreeStore, AMillionNodesStayWellUnderAHundredMegabytes) {
  TreeStore tree;
  TreeStore::NodeId folder = TreeStore::kNone;
  for (int i = 0; i < 1'000'000; ++i) {
    if (i % 1000 == 0) folder = tree.AddChild(TreeStore::kNone, "folder-" + std::to_string(i));
    tree.AddChild(folder, "file-" + std::to_string(i) + ".dat");
  }
  ASSERT_EQ(tree.child(folder, 999), tree.size() - 1);  // builds the row index as the view would
  EXPECT_LT(tree.memory_bytes(), 100u * 1000 * 1000) << tree.memory_bytes();
}

}  // namespace
}  // namespace morvick
