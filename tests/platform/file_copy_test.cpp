#include "platform/file_copy.h"
#include "common/sha256.h"
#include "support/manifest.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace morvick::platform {
namespace {

using testing::NamesIn;
using testing::ReadFile;
using testing::TakeManifest;
using testing::TempDir;

TEST(CopyTemporaryName, OnlyTheCopiesOwnPattern) {
  const std::map<std::string, bool> names = {
      {".morvick-12-0.tmp", true},    {".morvick-4711-23.tmp", true}, {".morvick--1.tmp", false},
      {".morvick-12-.tmp", false},    {".morvick-1a-2.tmp", false},   {"morvick-12-0.tmp", false},
      {".morvick-12-0.tmp~", false},  {".morvick-12.tmp", false},     {".morvick-1-2-3.tmp", false},
      {".morvick-write-test", false}, {"notes.tmp", false},
  };
  for (const auto& [name, ours] : names) EXPECT_EQ(IsCopyTemporaryName(name), ours) << name;
}

// Copies wait under temporary names until their batch is flushed: no final
// name ever shows a file whose bytes are not yet on the disk.
TEST(FileCopier, ACopyHasItsNameOnlyOnceItsBatchIsFlushed) {
  TempDir dir;
  // Several chunks, hashed beside the writes: the hash must see them in order.
  std::string large;
  for (int i = 0; large.size() < (5u << 20) + 7; ++i) large += std::to_string(i) + ",";
  dir.WriteFile("in/a", large);
  dir.WriteFile("in/b", "b");
  chmod(dir.Path("in/a").c_str(), 0640);
  TempDir::SetMtime(dir.Path("in/a"), 1500000000);
  dir.CreateDir("out");
  FileCopier& copier = RealFileCopier();
  std::map<std::string, int> placed;
  std::map<std::string, Sha256> hashes;  // the sinks may still run after the copies return
  ItemStatus copied;
  for (const std::string name : {"a", "b"}) {
    const int error = copier.CopyRegularFile(
        dir.Path("in/" + name), dir.Path("out/" + name), CopyMethod::Copy,
        [&hash = hashes[name]](const char* data, std::size_t size) { hash.Update(data, size); },
        [&placed, name](int result) { placed[name] = result; }, copied);
    ASSERT_EQ(error, 0) << name;
    EXPECT_EQ(copied.size, name == "a" ? static_cast<std::int64_t>(large.size()) : 1) << name;
  }
  EXPECT_EQ(copied.mtime_ns, copier.Status(dir.Path("in/b")).mtime_ns);
  EXPECT_TRUE(placed.empty());
  const std::set<std::string> waiting = NamesIn(dir.Path("out"));
  ASSERT_EQ(waiting.size(), 2u);
  for (const std::string& name : waiting) EXPECT_TRUE(IsCopyTemporaryName(name)) << name;

  copier.FinishCopies();
  EXPECT_EQ(placed, (std::map<std::string, int>{{"a", 0}, {"b", 0}}));
  EXPECT_EQ(hashes["a"].HexDigest(), Sha256Hex(large));
  EXPECT_EQ(hashes["b"].HexDigest(), Sha256Hex("b"));
  EXPECT_EQ(TakeManifest(dir.Path("out")), TakeManifest(dir.Path("in")));

  // A namesake that appears meanwhile is kept, and the copy's file goes.
  ASSERT_EQ(copier.CopyRegularFile(
                dir.Path("in/b"), dir.Path("out/c"), CopyMethod::Copy, nullptr,
                [&placed](int result) { placed["c"] = result; }, copied),
            0);
  dir.WriteFile("out/c", "someone's");
  copier.FinishCopies();
  EXPECT_EQ(placed["c"], EEXIST);
  EXPECT_EQ(ReadFile(dir.Path("out/c")), "someone's");
  EXPECT_EQ(NamesIn(dir.Path("out")), (std::set<std::string>{"a", "b", "c"}));
}

// The sink sees the first chunk while later ones are read: a source larger
// than the copier's buffers is still being read when the sink writes to it.
TEST(FileCopier, ASourceWrittenToWhileItIsReadIsNotCopied) {
  TempDir dir;
  const std::string source = dir.WriteFile("in/a", std::string(24 << 20, 'a'));
  dir.CreateDir("out");
  bool written = false;
  bool placed = false;
  ItemStatus copied;
  const int error = RealFileCopier().CopyRegularFile(
      source, dir.Path("out/a"), CopyMethod::Copy,
      [&written, &source](const char*, std::size_t) {
        if (!std::exchange(written, true)) std::ofstream(source, std::ios::app) << "more";
      },
      [&placed](int) { placed = true; }, copied);
  RealFileCopier().FinishCopies();
  EXPECT_EQ(error, EAGAIN);
  EXPECT_FALSE(placed);
  EXPECT_TRUE(NamesIn(dir.Path("out")).empty());
}

TEST(FileCopier, RemovesOnlyLeftoversOfOtherCopies) {
  TempDir dir;
  const std::string leftover = dir.WriteFile(".morvick-1-7.tmp", "part");
  const std::string own = dir.WriteFile(".morvick-" + std::to_string(getpid()) + "-7.tmp", "");
  const std::string folder = dir.CreateDir(".morvick-2-7.tmp");
  const std::string users = dir.WriteFile("notes.tmp", "mine");
  const std::vector<std::pair<std::string, int>> cases = {
      {users, EINVAL}, {own, EBUSY}, {folder, EISDIR}, {leftover, 0}, {leftover, ENOENT}};
  for (const auto& [path, error] : cases) {
    EXPECT_EQ(RealFileCopier().RemoveTemporary(path), error) << path;
  }
  EXPECT_EQ(NamesIn(dir.path()),
            (std::set<std::string>{".morvick-" + std::to_string(getpid()) + "-7.tmp",
                                   ".morvick-2-7.tmp", "notes.tmp"}));
}

// Whether every extent of the file is shared with another file.
bool SharesAllItsBlocks(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  constexpr unsigned kExtents = 32;
  std::vector<char> buffer(sizeof(fiemap) + kExtents * sizeof(fiemap_extent));
  auto* map = reinterpret_cast<fiemap*>(buffer.data());
  map->fm_length = FIEMAP_MAX_OFFSET;
  map->fm_flags = FIEMAP_FLAG_SYNC;
  map->fm_extent_count = kExtents;
  const bool mapped = ::ioctl(fd, FS_IOC_FIEMAP, map) == 0;
  ::close(fd);
  if (!mapped || map->fm_mapped_extents == 0) return false;
  for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
    if ((map->fm_extents[i].fe_flags & FIEMAP_EXTENT_SHARED) == 0) return false;
  }
  return true;
}

// On a file system that shares blocks (XFS with reflink, in an image of its
// own, which needs root and mkfs.xfs) a copy is a clone, and its bytes are
// still read for the hash.
TEST(FileCopier, ClonesWhereTheFileSystemSharesBlocks) {
  if (::geteuid() != 0 || std::system("command -v mkfs.xfs >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "needs root and mkfs.xfs for a file system with reflinks";
  }
  TempDir dir;
  const std::string image = dir.Path("xfs.img");
  const std::string root = dir.CreateDir("mnt");
  const std::string make = "truncate -s 320M " + image + " && mkfs.xfs -q -m reflink=1 " + image +
                           " && mount -o loop " + image + " " + root + " 2>/dev/null";
  if (std::system(make.c_str()) != 0) GTEST_SKIP() << "cannot mount an XFS image here";
  const std::unique_ptr<const std::string, void (*)(const std::string*)> unmount(
      &root, [](const std::string* path) { ::umount2(path->c_str(), MNT_DETACH); });

  std::string content;
  for (int i = 0; content.size() < (1u << 20); ++i) content += std::to_string(i) + " ";
  testing::TempDir::SetMtime(dir.WriteFile("mnt/source", content), 1400000000);
  std::string seen;
  int placed = -1;
  ItemStatus copied;
  ASSERT_EQ(RealFileCopier().CopyRegularFile(
                root + "/source", root + "/clone", CopyMethod::Copy,
                [&seen](const char* data, std::size_t size) { seen.append(data, size); },
                [&placed](int error) { placed = error; }, copied),
            0);
  RealFileCopier().FinishCopies();
  ASSERT_EQ(placed, 0);
  EXPECT_TRUE(SharesAllItsBlocks(root + "/clone"));
  EXPECT_EQ(seen, content);
  EXPECT_EQ(ReadFile(root + "/clone"), content);
  testing::Manifest both = TakeManifest(root);
  ASSERT_EQ(both.size(), 2u);
  both[0].path = both[1].path;
  EXPECT_EQ(both[0], both[1]);  // content, mode and time
}

}  // namespace
}  // namespace morvick::platform
