// The items a drag of one volume carries: where they are looked for, which
// count as there, and what is said when one is missing.

#include "commands/volume_items.h"
#include "common/error.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvick {
namespace {

using testing::TempDir;

std::string MissingMessage(const std::vector<std::string>& names, const std::string& folder) {
  try {
    VolumeItemPaths(folder, names);
  } catch (const Error& error) {
    return error.what();
  }
  return "no error";
}

TEST(VolumeItemPaths, ChecksTheFolderAndEveryItemAndKeepsRawBytes) {
  TempDir dir;
  dir.CreateFile("vol/plain", 1);
  dir.CreateFile("vol/\xff\xfe.bin", 1);
  dir.CreateSymlink("vol/dangling", dir.Path("nowhere"));

  // A volume without entries drags nothing, whether its folder exists or not.
  EXPECT_TRUE(VolumeItemPaths(dir.Path("missing"), {}).empty());

  const std::vector<std::string> names = {"\xff\xfe.bin", "dangling", "plain"};
  const std::vector<std::string> expected = {dir.Path("vol/\xff\xfe.bin"), dir.Path("vol/dangling"),
                                             dir.Path("vol/plain")};
  EXPECT_EQ(VolumeItemPaths(dir.Path("vol"), names), expected);
  EXPECT_EQ(VolumeItemPaths(dir.Path("vol") + "/", names), expected);

  EXPECT_EQ(MissingMessage({"plain"}, dir.Path("missing")),
            "'" + dir.Path("missing") + "' をドラッグできません: No such file or directory");
  EXPECT_EQ(MissingMessage({"x"}, dir.Path("vol/plain")),
            "'" + dir.Path("vol/plain") + "' をドラッグできません: Not a directory");
  // The first missing item is named; the items before it were there.
  EXPECT_EQ(MissingMessage({"plain", "gone", "also gone"}, dir.Path("vol")),
            "'" + dir.Path("vol/gone") + "' をドラッグできません: No such file or directory");
}

}  // namespace
}  // namespace morvick
