#include "engine/scan.h"

#include "common/error.h"
#include "support/as_nobody.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace morvick {
namespace {

using testing::TempDir;

// A scan host that records what the scan asks of it.
class FakeHost : public ScanHost {
 public:
  std::deque<std::string> cluster_texts;  // one per call; the last one repeats
  std::function<bool(const FakeHost&)> cancel_when = [](const FakeHost&) { return false; };
  bool cancel = false;
  int pumps = 0;
  int depth = 0;
  int max_depth = 0;
  int cluster_reads = 0;

  std::string ClusterSizeText() override {
    ++cluster_reads;
    if (cluster_texts.empty()) return "0";
    std::string text = cluster_texts.front();
    if (cluster_texts.size() > 1) cluster_texts.pop_front();
    return text;
  }
  bool CancelRequested() override { return cancel || (cancel = cancel_when(*this)); }
  void PumpEvents() override { ++pumps; }
  void BeginTreeUpdate() override { max_depth = std::max(max_depth, ++depth); }
  void EndTreeUpdate() override { --depth; }
};

struct ScanResult {
  EntryList entries;
  TreeStore tree;
  std::map<std::string, const TSplitEntry*> by_name;
};

void Scan(FakeHost& host, const std::string& folder, ScanResult& result) {
  ScanTarget target{host, result.entries, &result.tree};
  EXPECT_EQ(ScanFolder(target, TreeStore::kNone, folder, true), 0);
  for (const auto& record : result.entries) result.by_name[std::string(record.Name())] = &record;
}

std::vector<std::string> ChildNames(const TreeStore& tree, TreeStore::NodeId node) {
  std::vector<std::string> names;
  for (std::uint32_t row = 0; row < tree.child_count(node); ++row) {
    names.emplace_back(tree.name(tree.child(node, row)));
  }
  std::sort(names.begin(), names.end());
  return names;
}

TreeStore::NodeId FindChild(const TreeStore& tree, TreeStore::NodeId node, std::string_view name) {
  for (std::uint32_t row = 0; row < tree.child_count(node); ++row) {
    if (tree.name(tree.child(node, row)) == name) return tree.child(node, row);
  }
  return TreeStore::kNone;
}

class ScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
  TempDir dir;
};

// 2026-01-02 03:04:05 UTC.
constexpr std::time_t kOddSecond = 1767323045;

TEST_F(ScanTest, RecordsEveryTopLevelEntryWithItsSizeDateAndKind) {
  dir.CreateFile("a.tar.gz", 1000, kOddSecond);
  dir.CreateFile("README", 0, kOddSecond + 1);
  dir.CreateFile(".profile", 7);
  dir.CreateFile("huge.img", 4'294'967'297);  // sparse: counted at its apparent size
  dir.CreateFile("x.y/inner.txt", 300);
  dir.CreateFile("x.y/deeper/.hidden", 20);
  dir.CreateDir("x.y/empty");
  dir.CreateDir("empty");
  dir.CreateSymlink("link", "x.y");  // a link is an entry of its own size, never followed

  FakeHost host;
  ScanResult result;
  Scan(host, dir.path(), result);

  ASSERT_EQ(result.entries.size(), 7u);
  const auto& by_name = result.by_name;
  EXPECT_EQ(by_name.at("a.tar.gz")->Size, 1000);
  EXPECT_EQ(by_name.at("a.tar.gz")->KindText(), "File(.gz)");
  EXPECT_EQ(by_name.at("a.tar.gz")->DateText(), "2026/01/02 03:04:04");  // odd second shown even
  EXPECT_EQ(by_name.at("README")->KindText(), "File()");
  EXPECT_EQ(by_name.at("README")->DateText(), "2026/01/02 03:04:06");
  EXPECT_EQ(by_name.at(".profile")->KindText(), "File(.profile)");
  EXPECT_EQ(by_name.at("huge.img")->Size, 4'294'967'297);
  EXPECT_EQ(by_name.at("x.y")->Size, 320);
  EXPECT_EQ(by_name.at("x.y")->KindText(), "Folder");
  EXPECT_EQ(by_name.at("empty")->Size, 0);
  EXPECT_EQ(by_name.at("link")->Size, 3);
  EXPECT_EQ(by_name.at("link")->KindText(), "File()");
  for (const auto& record : result.entries) EXPECT_EQ(record.Volume, 0);

  // The tree holds every entry at every depth, "." and ".." nowhere.
  const TreeStore& tree = result.tree;
  EXPECT_EQ(ChildNames(tree, TreeStore::kNone),
            (std::vector<std::string>{".profile", "README", "a.tar.gz", "empty", "huge.img", "link",
                                      "x.y"}));
  const auto xy = FindChild(tree, TreeStore::kNone, "x.y");
  EXPECT_EQ(ChildNames(tree, xy), (std::vector<std::string>{"deeper", "empty", "inner.txt"}));
  EXPECT_EQ(ChildNames(tree, FindChild(tree, xy, "deeper")), (std::vector<std::string>{".hidden"}));
  EXPECT_TRUE(ChildNames(tree, FindChild(tree, TreeStore::kNone, "link")).empty());
  EXPECT_EQ(tree.size(), 11u);

  // Records stand in the order the folder was enumerated, as the tree's root level does.
  std::size_t row = 0;
  for (const auto& record : result.entries) {
    EXPECT_EQ(tree.name(tree.child(TreeStore::kNone, static_cast<std::uint32_t>(row++))),
              record.Name());
  }
  // One pump per entry, "." and ".." included, in each of the five folders read;
  // one cluster read per folder; the tree updates nest and balance.
  EXPECT_EQ(host.pumps, 11 + 5 * 2);
  EXPECT_EQ(host.cluster_reads, 5);
  EXPECT_EQ(host.depth, 0);
  EXPECT_EQ(host.max_depth, 3);
}

TEST_F(ScanTest, RoundsToClustersAndRereadsTheClusterSizeForEveryFolder) {
  dir.CreateFile("one", 1);
  dir.CreateFile("zero", 0);
  dir.CreateFile("pair/a", 1);
  dir.CreateFile("pair/b", 4097);
  dir.CreateDir("hollow");
  for (const char* cluster : {"4096", "-4096", "$1000", " +4096"}) {
    FakeHost host;
    host.cluster_texts = {cluster};
    ScanResult result;
    Scan(host, dir.path(), result);
    EXPECT_EQ(result.by_name.at("one")->Size, 4096) << cluster;
    EXPECT_EQ(result.by_name.at("zero")->Size, 0) << cluster;
    EXPECT_EQ(result.by_name.at("pair")->Size, 12288) << cluster;
    EXPECT_EQ(result.by_name.at("hollow")->Size, 0) << cluster;
  }
  // A change of the cluster size during the scan reaches the folders entered after it.
  FakeHost host;
  host.cluster_texts = {"0", "512"};
  ScanResult result;
  Scan(host, dir.path(), result);
  EXPECT_EQ(result.by_name.at("one")->Size, 1);
  EXPECT_EQ(result.by_name.at("pair")->Size, 512 + 4608);
}

TEST_F(ScanTest, ABadClusterSizeEndsTheScanThroughEveryGuard) {
  dir.CreateFile("d/e/f", 10);
  for (const auto& texts :
       {std::deque<std::string>{"abc"}, std::deque<std::string>{"0", "0", "12 "}}) {
    FakeHost host;
    host.cluster_texts = texts;
    EntryList entries;
    ScanTarget target{host, entries, nullptr};
    try {
      ScanFolder(target, TreeStore::kNone, dir.path(), true);
      ADD_FAILURE() << "no error";
    } catch (const ConversionError& error) {
      EXPECT_EQ(std::string(error.what()), "'" + texts.back() + "' は整数ではありません");
    }
    EXPECT_EQ(host.depth, 0);
    EXPECT_TRUE(entries.empty());
  }
}

TEST_F(ScanTest, CancelKeepsThePartOfTheFolderWalkedAndNothingAfterIt) {
  for (int i = 0; i < 40; ++i) dir.CreateFile("big/file" + std::to_string(i), 1000);
  for (int i = 0; i < 10; ++i) dir.CreateFile("small" + std::to_string(i), 1);

  FakeHost host;
  int pumps_inside_big = 0;
  host.cancel_when = [&](const FakeHost& h) {
    if (h.depth == 2) ++pumps_inside_big;
    return pumps_inside_big == 12;
  };
  ScanResult result;
  Scan(host, dir.path(), result);

  ASSERT_FALSE(result.entries.empty());
  const TSplitEntry& last = result.entries.back();
  EXPECT_EQ(last.Name(), "big");
  EXPECT_GT(last.Size, 0);
  EXPECT_LT(last.Size, 40'000);
  EXPECT_EQ(last.Size % 1000, 0);
  for (const auto& record : result.entries) {
    if (record.Name() != "big") {
      EXPECT_EQ(record.Size, 1);
    }
  }
  EXPECT_EQ(host.depth, 0);

  // A cancel already set when the scan starts reads nothing at all.
  FakeHost cancelled;
  cancelled.cancel = true;
  ScanResult none;
  Scan(cancelled, dir.path(), none);
  EXPECT_TRUE(none.entries.empty());
  EXPECT_EQ(none.tree.size(), 0u);
  EXPECT_EQ(cancelled.pumps, 0);
  EXPECT_EQ(cancelled.max_depth, 0);
}

TEST_F(ScanTest, AMissingFolderHasNoEntriesAndIsNotPumped) {
  FakeHost host;
  ScanResult result;
  Scan(host, dir.Path("missing"), result);
  EXPECT_TRUE(result.entries.empty());
  EXPECT_EQ(host.pumps, 0);
  EXPECT_EQ(host.max_depth, 0);
}

// Root reads every folder, so the unreadable folder is scanned by an
// unprivileged child process when the tests run as root.
TEST_F(ScanTest, AnUnreadableSubfolderCountsAsEmptyAndTheScanGoesOn) {
  dir.CreateFile("a/locked/secret", 500);
  dir.CreateFile("a/open", 7);
  dir.CreateFile("b", 3);
  ASSERT_EQ(::chmod(dir.Path("a/locked").c_str(), 0), 0);
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);

  auto scan_and_check = [&]() -> int {
    FakeHost host;
    ScanResult result;
    Scan(host, dir.path(), result);
    if (result.entries.size() != 2) return 1;
    if (result.by_name.at("a")->Size != 7 || result.by_name.at("b")->Size != 3) return 2;
    const auto a = FindChild(result.tree, TreeStore::kNone, "a");
    const auto locked = FindChild(result.tree, a, "locked");
    if (locked == TreeStore::kNone || result.tree.child_count(locked) != 0) return 3;
    return 0;
  };
  if (::geteuid() != 0) {
    EXPECT_EQ(scan_and_check(), 0);
    return;
  }
  EXPECT_EQ(testing::RunInChildAsNobody([&] { return std::to_string(scan_and_check()); }), "0")
      << "1: records, 2: sizes, 3: tree";
}

// The real folders, except that in the folder named `failing_folder` the read
// of entry number `failing_read` ("." and ".." not counted, as the file system
// may list them anywhere) fails with `error`, as a read that meets a bad disk
// block does.
bool IsDotOrDotDot(std::string_view name) { return name == "." || name == ".."; }

class FaultyFolders : public platform::DirectoryLister {
 public:
  FaultyFolders(std::string failing_folder, int failing_read, int error)
      : failing_folder_(std::move(failing_folder)), failing_read_(failing_read), error_(error) {}

  std::unique_ptr<platform::FolderReader> Open(const std::string& path) override {
    return Wrap(platform::SystemDirectories().Open(path), path.substr(path.rfind('/') + 1));
  }

 private:
  class Folder : public platform::FolderReader {
   public:
    Folder(const FaultyFolders& owner, std::unique_ptr<platform::FolderReader> real, bool faulty)
        : owner_(owner), real_(std::move(real)), faulty_(faulty) {}
    bool Next(platform::DirectoryEntry& entry) override {
      if (!real_->Next(entry)) return false;
      if (faulty_ && !IsDotOrDotDot(entry.name) && ++reads_ == owner_.failing_read_) {
        error_ = owner_.error_;
        return false;
      }
      return true;
    }
    int error() const override { return error_ != 0 ? error_ : real_->error(); }
    std::unique_ptr<platform::FolderReader> OpenChild(std::string_view name) override {
      return owner_.Wrap(real_->OpenChild(name), name);
    }

   private:
    const FaultyFolders& owner_;
    std::unique_ptr<platform::FolderReader> real_;
    bool faulty_;
    int reads_ = 0;
    int error_ = 0;
  };

  std::unique_ptr<platform::FolderReader> Wrap(std::unique_ptr<platform::FolderReader> real,
                                               std::string_view name) const {
    if (!real) return nullptr;
    return std::make_unique<Folder>(*this, std::move(real), name == failing_folder_);
  }

  std::string failing_folder_;
  int failing_read_;
  int error_;
};

// A folder whose listing breaks off counts as unreadable, not at the size of
// the two entries read; the input folder itself then gives no entries at all.
TEST_F(ScanTest, AFolderWhoseThirdReadFailsCountsAsUnreadable) {
  for (int i = 0; i < 4; ++i) dir.CreateFile("broken/file" + std::to_string(i), 100);
  dir.CreateFile("broken/inner/deep", 50);
  dir.CreateFile("whole/file", 7);
  dir.CreateFile("b", 3);

  FakeHost host;
  ScanResult result;
  FaultyFolders folders("broken", 3, EIO);
  ScanTarget target{host, result.entries, &result.tree, folders};
  EXPECT_EQ(ScanFolder(target, TreeStore::kNone, dir.path(), true), 0);
  ASSERT_EQ(result.entries.size(), 3u);
  for (const auto& record : result.entries) result.by_name[std::string(record.Name())] = &record;
  EXPECT_EQ(result.by_name.at("broken")->Size, 0);
  EXPECT_EQ(result.by_name.at("broken")->KindText(), "Folder");
  EXPECT_EQ(result.by_name.at("whole")->Size, 7);
  EXPECT_EQ(result.by_name.at("b")->Size, 3);
  const auto broken = FindChild(result.tree, TreeStore::kNone, "broken");
  EXPECT_EQ(result.tree.child_count(broken), 0u);
  EXPECT_EQ(ChildNames(result.tree, FindChild(result.tree, TreeStore::kNone, "whole")),
            std::vector<std::string>{"file"});
  EXPECT_EQ(result.tree.size(), 4u);
  EXPECT_EQ(host.depth, 0);

  const std::string top = dir.path().substr(dir.path().rfind('/') + 1);
  FaultyFolders failing_top(top, 3, EIO);
  FakeHost top_host;
  ScanResult none;
  ScanTarget top_target{top_host, none.entries, &none.tree, failing_top};
  EXPECT_EQ(ScanFolder(top_target, TreeStore::kNone, dir.path(), true), 0);
  EXPECT_TRUE(none.entries.empty());
  EXPECT_EQ(none.tree.size(), 0u);
  EXPECT_EQ(top_host.depth, 0);
}

// Removes a tree below an open folder without building long paths.
void RemoveBelow(int parent_fd, const char* name) {
  const int fd = ::openat(parent_fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
  if (fd >= 0) {
    if (DIR* dir = ::fdopendir(fd)) {
      std::vector<std::string> children;
      while (const dirent* entry = ::readdir(dir)) {
        const std::string child = entry->d_name;
        if (child != "." && child != "..") children.push_back(child);
      }
      for (const std::string& child : children) RemoveBelow(::dirfd(dir), child.c_str());
      ::closedir(dir);
    } else {
      ::close(fd);
    }
  }
  if (::unlinkat(parent_fd, name, AT_REMOVEDIR) != 0) ::unlinkat(parent_fd, name, 0);
}

TEST_F(ScanTest, MeasuresFoldersNestedDeeperThanPathMax) {
  const std::string level(200, 'd');
  int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  const int top_fd = ::dup(fd);
  // 300 x 201 bytes, well past PATH_MAX, and more levels than the descriptors
  // a low soft limit allows (each level holds one while its subfolder is read).
  constexpr int kLevels = 300;
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  if (limit.rlim_max > 1000) {
    limit.rlim_cur = 128;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
  }
  static_assert(kLevels * 201 > PATH_MAX);
  for (int i = 0; i < kLevels; ++i) {
    ASSERT_EQ(::mkdirat(fd, level.c_str(), 0755), 0);
    const int next = ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
    ASSERT_GE(fd, 0);
  }
  const int file = ::openat(fd, "bottom", O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(file, 0);
  ASSERT_EQ(::ftruncate(file, 12345), 0);
  ::close(file);
  ::close(fd);

  FakeHost host;
  ScanResult result;
  Scan(host, dir.path(), result);
  ASSERT_EQ(result.entries.size(), 1u);
  EXPECT_EQ(result.entries[0].Size, 12345);
  EXPECT_EQ(result.tree.size(), static_cast<std::size_t>(kLevels + 1));
  EXPECT_EQ(host.max_depth, kLevels + 1);

  RemoveBelow(top_fd, level.c_str());
  ::close(top_fd);
}

TEST(FileDates, FixedWidthEvenSecondsWithinTheMsDosRange) {
  ::setenv("TZ", "JST-9", 1);
  ::tzset();
  EXPECT_EQ(FileTimeText(kOddSecond), "2026/01/02 12:04:04");
  EXPECT_EQ(FileTimeText(0), "1980/01/01 00:00:00");
  EXPECT_EQ(FileTimeText(-5'000'000'000), "1980/01/01 00:00:00");
  EXPECT_EQ(FileTimeText(315525600), "1980/01/01 07:00:00");      // still 1979 in UTC
  EXPECT_EQ(FileTimeText(4'354'786'799), "2107/12/31 23:59:58");  // 23:59:59 local
  EXPECT_EQ(FileTimeText(4'354'786'800), "2107/12/31 23:59:58");  // 2108 local: the last date
  EXPECT_EQ(FileTimeText(std::int64_t{1} << 60), "2107/12/31 23:59:58");
  EXPECT_EQ(FormatFileDate(2026, 3, 4, 5, 6, 8), "2026/03/04 05:06:08");
  EXPECT_EQ(KindTextOf("x.y", true), "Folder");
  EXPECT_EQ(KindTextOf("a.", false), "File(.)");
}

}  // namespace
}  // namespace morvick
