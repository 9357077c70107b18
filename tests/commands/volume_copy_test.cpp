#include "commands/volume_copy.h"
#include "commands/plan_commands.h"
#include "commands/volume_verify.h"
#include "common/sha256.h"
#include "support/fake_plan_view.h"
#include "support/manifest.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace morvick {
namespace {

using testing::FakePlanView;
using testing::Manifest;
using testing::NamesIn;
using testing::PathExists;
using testing::ReadFile;
using testing::ScriptedPrompter;
using testing::TakeManifest;
using testing::TempDir;

// The real file system, except that the `fail_at`-th file copy fails with EIO
// (after it has read part of the file), as a disc that cannot be read would,
// and that `before_copy` sees every source just before it is opened.
class FailingCopier final : public platform::FileCopier {
 public:
  explicit FailingCopier(int fail_at) : fail_at_(fail_at) {}
  std::function<void(const std::string& source)> before_copy;
  platform::ItemStatus Status(const std::string& path) override { return real_.Status(path); }
  int List(const std::string& folder, std::vector<platform::FolderItem>& items) override {
    return real_.List(folder, items);
  }
  int Read(const std::string& path, const platform::ByteSink& sink) override {
    return real_.Read(path, sink);
  }
  int ReadLink(const std::string& path, std::string& target) override {
    return real_.ReadLink(path, target);
  }
  int CopyRegularFile(const std::string& source, const std::string& destination,
                      platform::CopyMethod method, const platform::ByteSink& sink,
                      const platform::PlacedSink& placed, platform::ItemStatus& copied) override {
    if (++copies_ == fail_at_) return EIO;
    if (before_copy) before_copy(source);
    return real_.CopyRegularFile(source, destination, method, sink, placed, copied);
  }
  void FinishCopies() override { real_.FinishCopies(); }
  int RemoveTemporary(const std::string& path) override { return real_.RemoveTemporary(path); }
  int CopyLink(const std::string& source, const std::string& destination) override {
    return real_.CopyLink(source, destination);
  }
  int MakeFolder(const std::string& path) override { return real_.MakeFolder(path); }
  int CopyFolderAttributes(const std::string& source, const std::string& destination) override {
    return real_.CopyFolderAttributes(source, destination);
  }
  int WriteNewFile(const std::string& path, const std::string& content) override {
    return real_.WriteNewFile(path, content);
  }

 private:
  platform::FileCopier& real_ = platform::RealFileCopier();
  int fail_at_;
  int copies_ = 0;
};

// Volumes of 100 bytes over nested folders, Japanese names, an empty file and
// an empty folder, links, an entry exactly at the capacity and one over it.
class VolumeCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.WriteFile("in/a.txt", std::string(40, 'a'));
    chmod(dir_.Path("in/a.txt").c_str(), 0640);
    TempDir::SetMtime(dir_.Path("in/a.txt"), 1600000000);
    dir_.WriteFile("in/empty.txt", "");
    dir_.CreateDir("in/emptydir");
    dir_.WriteFile("in/nested/x/y/deep.txt", "deep content");
    dir_.CreateDir("in/nested/空");
    dir_.CreateSymlink("in/nested/link", "x/y/deep.txt");
    dir_.WriteFile("in/写真/日本語.txt", std::string(30, 'j'));
    dir_.WriteFile("in/full", std::string(100, 'f'));
    dir_.WriteFile("in/huge", std::string(500, 'h'));
    dir_.CreateSymlink("in/top-link", "a.txt");
    // A name of 255 bytes, the most a name may have: its temporary name must fit too.
    std::string longest;
    while (longest.size() + 3 <= 255) longest += "長";
    dir_.WriteFile("in/nested/" + longest, "long name");
    form_.edits = {"100", dir_.Path("in"), dir_.Path("out"), "CD"};
    form_.unit_index = 1;
    RunInvestigate(state_, form_, prompter_, PlatformPathRules());
    ASSERT_GE(state_.VolumeCount, 3);
    for (const TSplitEntry& entry : *state_.EntryList) {
      // An entry of exactly the capacity fits; one over it has no volume.
      if (entry.Name() == "full") {
        EXPECT_GT(entry.Volume, 0);
      }
      if (entry.Name() == "huge") {
        EXPECT_EQ(entry.Volume, 0);
      }
    }
    before_ = TakeManifest(dir_.Path("in"));
  }

  CopyPlan Plan() const {
    return {{dir_.Path("in"), dir_.Path("out")},
            form_.Naming(),
            state_.EntryList.get(),
            state_.VolumeCount,
            false};
  }
  CopyReport Copy(platform::FileCopier* copier = nullptr,
                  platform::CopyMethod method = platform::CopyMethod::Copy) {
    CopyOptions options;
    options.copier = copier;
    options.method = method;
    return CopyVolumes(Plan(), options);
  }
  std::string Volume(std::int32_t volume) const {
    return dir_.Path("out/" + form_.Naming().FolderName(volume));
  }

  // Every volume folder holds exactly its entries as the input has them
  // (content, modes, times, link targets), and the index beside them.
  void ExpectVolumesMatchThePlan() const {
    std::map<std::int32_t, std::set<std::string>> planned;
    for (const TSplitEntry& entry : *state_.EntryList) {
      planned[entry.Volume].insert(std::string(entry.Name()));
    }
    for (std::int32_t volume = 1; volume <= state_.VolumeCount; ++volume) {
      Manifest expected;
      for (const testing::ManifestItem& item : before_) {
        if (planned[volume].count(item.path.substr(0, item.path.find('/'))) > 0) {
          expected.push_back(item);
        }
      }
      Manifest copied = TakeManifest(Volume(volume));
      std::erase_if(copied, [](const auto& item) { return item.path == kIndexFileName; });
      EXPECT_EQ(testing::DiffManifests(expected, copied), "") << Volume(volume);
    }
  }

  VolumeIndex IndexOf(std::int32_t volume) const {
    std::string error;
    const std::optional<VolumeIndex> index =
        ParseIndex(ReadFile(Volume(volume) + "/" + kIndexFileName), error);
    EXPECT_TRUE(index) << error;
    return index.value_or(VolumeIndex{});
  }

  TempDir dir_;
  CommandState state_;
  FakePlanView form_;
  ScriptedPrompter prompter_;
  Manifest before_;
};

TEST_F(VolumeCopyTest, CopiesMatchThePlanAndTheInputStaysAsItWas) {
  const CopyReport report = Copy();
  ASSERT_EQ(report.status, CopyReport::Status::Done) << report.failures.front().reason;
  EXPECT_EQ(TakeManifest(dir_.Path("in")), before_);
  ExpectVolumesMatchThePlan();
  // The entry over the capacity has no volume and is never copied.
  for (std::int32_t volume = 1; volume <= state_.VolumeCount; ++volume) {
    EXPECT_EQ(NamesIn(Volume(volume)).count("huge"), 0u);
  }

  // One set id, "k of n", every item with its size, time and hash.
  std::map<std::string, IndexItem> items;
  for (std::int32_t volume = 1; volume <= state_.VolumeCount; ++volume) {
    const VolumeIndex index = IndexOf(volume);
    EXPECT_EQ(index.set_id, report.set_id);
    EXPECT_EQ(index.volume, volume);
    EXPECT_EQ(index.volume_count, state_.VolumeCount);
    for (const IndexItem& item : index.items) items[item.path] = item;
  }
  EXPECT_EQ(report.set_id.size(), 32u);
  ASSERT_EQ(items.count("a.txt"), 1u);
  EXPECT_EQ(items["a.txt"].sha256, Sha256Hex(std::string(40, 'a')));
  EXPECT_EQ(items["a.txt"].mtime_ns, 1600000000LL * 1000000000);
  EXPECT_EQ(items["写真/日本語.txt"].sha256, Sha256Hex(std::string(30, 'j')));
  EXPECT_EQ(items["empty.txt"].sha256, Sha256Hex(""));
  EXPECT_EQ(items["nested/link"].type, IndexItem::Type::Link);
  EXPECT_EQ(items["nested/link"].target, "x/y/deep.txt");
  EXPECT_EQ(items["nested/空"].type, IndexItem::Type::Folder);
  EXPECT_EQ(items.count("huge"), 0u);

  const std::string tsv = ReadFile(dir_.Path("out/") + kCatalogueTsvName);
  EXPECT_NE(tsv.find("\t写真/日本語.txt\tfile\t30\t"), std::string::npos) << tsv;
  EXPECT_NE(ReadFile(dir_.Path("out/") + kCatalogueJsonName).find(report.set_id),
            std::string::npos);
  // Nothing but the volumes and the catalogue, no temporary file left.
  std::set<std::string> expected = {kCatalogueJsonName, kCatalogueTsvName};
  for (std::int32_t volume = 1; volume <= state_.VolumeCount; ++volume) {
    expected.insert(form_.Naming().FolderName(volume));
  }
  EXPECT_EQ(NamesIn(dir_.Path("out")), expected);
}

TEST_F(VolumeCopyTest, AFailedFileLeavesNoPartAndASecondRunFinishes) {
  FailingCopier failing(3);
  const CopyReport first = Copy(&failing);
  ASSERT_EQ(first.status, CopyReport::Status::SomeFailed);
  ASSERT_EQ(first.failures.size(), 1u);
  EXPECT_EQ(first.entries_failed, 1);
  EXPECT_FALSE(first.catalogue_written);
  EXPECT_LT(first.indexes.size(), static_cast<std::size_t>(state_.VolumeCount));
  // What is there is whole: every file under its final name equals its source.
  int files_there = 0;
  for (std::int32_t volume = 1; volume <= state_.VolumeCount; ++volume) {
    for (const testing::ManifestItem& item : TakeManifest(Volume(volume))) {
      // Folders get their mode once they are filled.
      if (item.path == kIndexFileName || item.type == 'd') continue;
      if (item.type == 'f') ++files_there;
      EXPECT_NE(std::find(before_.begin(), before_.end(), item), before_.end()) << item.path;
    }
  }
  EXPECT_GE(files_there, 2);

  const CopyReport second = Copy();
  ASSERT_EQ(second.status, CopyReport::Status::Done) << second.failures.front().path;
  EXPECT_EQ(second.files_kept, files_there);
  EXPECT_EQ(second.set_id, first.set_id);  // the indexes the first run wrote are kept
  EXPECT_TRUE(second.catalogue_written);
  ExpectVolumesMatchThePlan();
  EXPECT_EQ(TakeManifest(dir_.Path("in")), before_);
}

// A file written to after its folder was listed and before it was opened:
// the index has the size, time and hash of what was copied.
TEST_F(VolumeCopyTest, TheIndexDescribesTheFileAsItWasRead) {
  FailingCopier changing(0);
  changing.before_copy = [](const std::string& source) {
    if (source.ends_with("/a.txt")) std::ofstream(source, std::ios::app) << "grown";
  };
  ASSERT_EQ(Copy(&changing).status, CopyReport::Status::Done);
  const std::string a = dir_.Path("in/a.txt");
  struct stat now {};
  ASSERT_EQ(stat(a.c_str(), &now), 0);
  IndexItem item;
  for (const IndexItem& candidate : IndexOf(1).items) {
    if (candidate.path == "a.txt") item = candidate;
  }
  EXPECT_EQ(item.size, 45);
  EXPECT_EQ(item.mtime_ns, now.st_mtim.tv_sec * 1000000000LL + now.st_mtim.tv_nsec);
  EXPECT_EQ(item.sha256, Sha256Hex(ReadFile(a)));
  EXPECT_EQ(VerifyVolume(Volume(1), {}).status, VerifyReport::Status::Match);
}

TEST_F(VolumeCopyTest, StopsBetweenFilesAndTheSameCopyFinishes) {
  CopyOptions options;
  int files = 0;
  options.stop_requested = [&files] { return ++files > 2; };
  EXPECT_EQ(CopyVolumes(Plan(), options).status, CopyReport::Status::Interrupted);
  EXPECT_FALSE(PathExists(dir_.Path("out/") + kCatalogueJsonName));
  EXPECT_EQ(Copy().status, CopyReport::Status::Done);
  ExpectVolumesMatchThePlan();
}

// A killed copy leaves temporary files: verify names them, and the next run
// removes them, only them, from the folders it fills.
TEST_F(VolumeCopyTest, TheNextRunRemovesWhatAKilledCopyLeft) {
  ASSERT_EQ(Copy().status, CopyReport::Status::Done);
  std::int32_t nested = 0;
  for (const TSplitEntry& entry : *state_.EntryList) {
    if (entry.Name() == "nested") nested = entry.Volume;
  }
  const std::string volume = Volume(nested);
  const std::string leftover = "nested/x/.morvick-99999999-4.tmp";
  dir_.WriteFile("out/" + form_.Naming().FolderName(nested) + "/" + leftover, "part of a copy");
  ASSERT_EQ(symlink("a.txt", (volume + "/.morvick-99999999-5.tmp").c_str()), 0);
  dir_.CreateDir("out/" + form_.Naming().FolderName(nested) + "/.morvick-99999999-6.tmp");
  dir_.WriteFile("out/" + form_.Naming().FolderName(nested) + "/.morvick-notes.tmp", "mine");
  // A catalogue write killed beside the volumes.
  dir_.WriteFile("out/.morvick-99999999-7.tmp", "part of a catalogue");
  const auto extras = [&volume] {
    std::map<std::string, std::string> found;
    for (const VerifyFinding& finding : VerifyVolume(volume, {}).findings) {
      found[finding.path] = finding.detail;
    }
    return found;
  };
  const std::string by_a_copy = "left by an interrupted copy";
  EXPECT_EQ(extras(), (std::map<std::string, std::string>{{leftover, by_a_copy},
                                                          {".morvick-99999999-5.tmp", by_a_copy},
                                                          {".morvick-99999999-6.tmp", ""},
                                                          {".morvick-notes.tmp", ""}}));

  const CopyReport again = Copy();
  ASSERT_EQ(again.status, CopyReport::Status::Done) << again.failures.front().path;
  EXPECT_EQ(again.leftovers_removed, 3);
  EXPECT_FALSE(PathExists(dir_.Path("out/.morvick-99999999-7.tmp")));
  EXPECT_EQ(extras(), (std::map<std::string, std::string>{{".morvick-99999999-6.tmp", ""},
                                                          {".morvick-notes.tmp", ""}}));
  EXPECT_EQ(TakeManifest(dir_.Path("in")), before_);
}

TEST_F(VolumeCopyTest, NothingIsReplaced) {
  ASSERT_EQ(Copy().status, CopyReport::Status::Done);
  const std::string a = dir_.Path("out/CD001/a.txt");
  ASSERT_TRUE(PathExists(a));
  // Someone's own files of the same names: a different file, and a file where
  // a folder would go.
  unlink(a.c_str());
  std::ofstream(a) << "someone else's";
  const std::string index = Volume(1) + "/" + kIndexFileName;
  const std::string index_text = ReadFile(index);
  const CopyReport again = Copy();
  EXPECT_EQ(again.status, CopyReport::Status::SomeFailed);
  ASSERT_EQ(again.failures.size(), 1u);
  EXPECT_EQ(again.failures[0].path, a);
  EXPECT_EQ(ReadFile(a), "someone else's");
  EXPECT_EQ(ReadFile(index), index_text);
  EXPECT_EQ(TakeManifest(dir_.Path("in")), before_);
}

TEST_F(VolumeCopyTest, HardLinksShareTheInputsFiles) {
  ASSERT_EQ(Copy(nullptr, platform::CopyMethod::HardLink).status, CopyReport::Status::Done);
  struct stat in {};
  struct stat out {};
  ASSERT_EQ(stat(dir_.Path("in/a.txt").c_str(), &in), 0);
  ASSERT_EQ(stat(dir_.Path("out/CD001/a.txt").c_str(), &out), 0);
  EXPECT_EQ(in.st_ino, out.st_ino);
  ExpectVolumesMatchThePlan();
  EXPECT_EQ(IndexOf(1).items.front().sha256, Sha256Hex(std::string(40, 'a')));
}

TEST_F(VolumeCopyTest, VerifyFindsChangedMissingAndExtraItems) {
  ASSERT_EQ(Copy().status, CopyReport::Status::Done);
  const std::string volume = Volume(1);
  EXPECT_EQ(VerifyVolume(volume, {}).status, VerifyReport::Status::Match);

  // One byte changed in place, a file gone, a file added.
  {
    std::fstream file(volume + "/a.txt", std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(10);
    file.put('b');
  }
  const VolumeIndex index = IndexOf(1);
  std::string gone;
  for (const IndexItem& item : index.items) {
    if (item.type == IndexItem::Type::File && item.path != "a.txt") gone = item.path;
  }
  ASSERT_FALSE(gone.empty());
  ASSERT_EQ(unlink((volume + "/" + gone).c_str()), 0);
  dir_.WriteFile("out/CD001/added", "x");

  const VerifyReport report = VerifyVolume(volume, {});
  EXPECT_EQ(report.status, VerifyReport::Status::Differs);
  std::set<std::string> found;
  for (const VerifyFinding& finding : report.findings) {
    const char* kind = finding.kind == VerifyFinding::Kind::Missing   ? "missing "
                       : finding.kind == VerifyFinding::Kind::Changed ? "changed "
                                                                      : "extra ";
    found.insert(kind + finding.path + " " + finding.detail);
  }
  EXPECT_EQ(found, (std::set<std::string>{"changed a.txt sha256", "missing " + gone + " ",
                                          "extra added "}));
  EXPECT_EQ(VerifyVolume(dir_.Path("in"), {}).status, VerifyReport::Status::NoIndex);

  // An index whose paths lead out of the volume is no index to read by.
  for (const char* path : {"../in/a.txt", "/etc/passwd", "a//b", "x/./y", ""}) {
    VolumeIndex crafted = IndexOf(1);
    crafted.items = {{IndexItem::Type::File, path, 1, 0, Sha256Hex("a"), {}}};
    std::string error;
    EXPECT_FALSE(ParseIndex(IndexText(crafted), error)) << path;
    EXPECT_NE(error.find("leads out of the volume"), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace morvick
