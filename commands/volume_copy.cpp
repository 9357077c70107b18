#include "commands/volume_copy.h"

#include "commands/path_rules.h"
#include "common/path_messages.h"
#include "common/sha256.h"
#include "moving/move_engine.h"
#include "moving/move_step.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/real_path.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>

namespace morvick {
namespace {

using Kind = platform::ItemStatus::Kind;

struct Interrupted {};

// Copies the entries one by one. A file may get its final name some time
// after it was copied (the copier flushes copies in batches), so whether an
// entry, and each folder in it, is whole is known only once every copy has
// been placed: failures are marked as they come, and folders get their mode
// and time at the end, innermost first, when nothing in them failed.
class VolumeCopier {
 public:
  VolumeCopier(const CopyOptions& options, CopyReport& report)
      : options_(options),
        copier_(options.copier ? *options.copier : platform::RealFileCopier()),
        report_(report) {}
  // Copies that still wait refer to this copier: they are placed before it goes.
  ~VolumeCopier() { copier_.FinishCopies(); }
  VolumeCopier(const VolumeCopier&) = delete;
  VolumeCopier& operator=(const VolumeCopier&) = delete;

  // Starts a top-level entry; later failures are marked on it.
  void BeginEntry() { entry_failed_.push_back(false); }
  bool EntryFailed(std::size_t entry) const { return entry_failed_[entry]; }

  // Copies one item and everything below it into `items`, the items of its
  // volume; `folder` is the folder node it lies in (-1: the volume folder).
  void Copy(const std::string& source, const std::string& destination, const std::string& path,
            std::vector<IndexItem>& items, int folder = -1) {
    const platform::ItemStatus from = copier_.Status(source);
    switch (from.kind) {
      case Kind::File: return CopyRegularFile(source, destination, path, from, items, folder);
      case Kind::Link: return CopyLink(source, destination, path, items, folder);
      case Kind::Folder: return CopyFolder(source, destination, path, items, folder);
      case Kind::Missing:
        return Fail(source, from.error == ENOENT ? "not found" : std::strerror(from.error), folder);
      case Kind::Other: break;
    }
    Fail(source, "not a file, folder or link", folder);
  }

  // Records a failure of the current entry; the folders around it are not whole.
  void Fail(const std::string& path, const std::string& reason, int folder = -1) {
    Fail(path, reason, folder, entry_failed_.size() - 1);
  }

  // Removes what a killed copy left in a folder that this copy fills: files
  // and links of the copies' temporary names, nothing else.
  void RemoveLeftovers(const std::string& folder) {
    std::vector<platform::FolderItem> children;
    if (copier_.List(folder, children) != 0) return;  // the copy into it reports the folder
    for (const platform::FolderItem& child : children) {
      if (!platform::IsCopyTemporaryName(child.name) || child.status.kind == Kind::Folder) continue;
      const std::string path = platform::JoinPath(folder, child.name);
      const int error = copier_.RemoveTemporary(path);
      if (error == 0) ++report_.leftovers_removed;
      if (error != 0 && error != ENOENT && error != EBUSY) {
        report_.failures.push_back(
            {path,
             std::string("left by an interrupted copy; cannot remove: ") + std::strerror(error)});
      }
    }
  }

  // Places the copies that wait, then gives the folders that are whole their
  // mode and time (a folder's time changes while it is filled).
  void Finish() {
    copier_.FinishCopies();
    for (const int index : finished_folders_) {
      const FolderNode& node = folders_[static_cast<std::size_t>(index)];
      if (!node.whole) continue;
      if (const int error = copier_.CopyFolderAttributes(node.source, node.destination);
          error != 0) {
        Fail(node.destination, std::strerror(error), node.parent, node.entry);
      }
    }
  }

  platform::FileCopier& copier() { return copier_; }

 private:
  struct FolderNode {
    std::string source;
    std::string destination;
    int parent = -1;
    std::size_t entry = 0;
    bool whole = true;
  };

  // Bytes read so far, told to the progress. The copier may hash one file on
  // a thread of its own while the next is read here.
  void Count(std::int64_t bytes) {
    const std::lock_guard lock(bytes_mutex_);
    report_.bytes += bytes;
    if (options_.copied) options_.copied(report_.bytes);
  }

  void Fail(const std::string& path, const std::string& reason, int folder, std::size_t entry) {
    report_.failures.push_back({path, reason});
    entry_failed_[entry] = true;
    for (; folder >= 0; folder = folders_[static_cast<std::size_t>(folder)].parent) {
      folders_[static_cast<std::size_t>(folder)].whole = false;
    }
  }

  void CopyRegularFile(const std::string& source, const std::string& destination,
                       const std::string& path, const platform::ItemStatus& from,
                       std::vector<IndexItem>& items, int folder) {
    if (options_.stop_requested && options_.stop_requested()) throw Interrupted{};
    if (copier_.Status(destination).kind != Kind::Missing) {
      return KeepEqualFile(source, destination, path, from, items, folder);
    }
    const std::size_t entry = entry_failed_.size() - 1;
    auto hash = std::make_shared<Sha256>();
    platform::ByteSink sink;
    if (options_.write_index) {
      sink = [hash, this](const char* data, std::size_t size) {
        hash->Update(data, size);
        Count(static_cast<std::int64_t>(size));
      };
    }
    std::vector<IndexItem>* volume_items = &items;
    // The index takes the size and time of what was read, which the listing
    // may have seen before a change.
    auto copied = std::make_shared<platform::ItemStatus>(from);
    const auto placed = [=, this](int error) {
      if (error == EEXIST) {
        // Someone made a file of that name meanwhile.
        Fail(destination, "exists; not replaced", folder, entry);
      } else if (error != 0) {
        Fail(destination, std::strerror(error), folder, entry);
      } else {
        volume_items->push_back(
            {IndexItem::Type::File, path, copied->size, copied->mtime_ns, hash->HexDigest(), {}});
      }
    };
    const int error =
        copier_.CopyRegularFile(source, destination, options_.method, sink, placed, *copied);
    if (error == EEXIST) return KeepEqualFile(source, destination, path, from, items, folder);
    if (error == EAGAIN) return Fail(source, "changed while it was copied; not copied", folder);
    if (error != 0) return Fail(destination, std::strerror(error), folder);
    if (!sink) Count(copied->size);
  }

  // A file of that name is there already: from an earlier run when it has the
  // same bytes, kept then; anything else is someone's file and stays untouched.
  void KeepEqualFile(const std::string& source, const std::string& destination,
                     const std::string& path, const platform::ItemStatus& from,
                     std::vector<IndexItem>& items, int folder) {
    const platform::ItemStatus there = copier_.Status(destination);
    if (there.kind != Kind::File || there.size != from.size) {
      return Fail(destination, "exists and differs; not replaced", folder);
    }
    Sha256 theirs;
    Sha256 ours;
    int error = copier_.Read(
        destination, [&theirs](const char* data, std::size_t size) { theirs.Update(data, size); });
    if (error == 0) {
      error = copier_.Read(source, [&ours, this](const char* data, std::size_t size) {
        ours.Update(data, size);
        Count(static_cast<std::int64_t>(size));
      });
    }
    if (error != 0) return Fail(destination, std::strerror(error), folder);
    std::string digest = ours.HexDigest();
    if (theirs.HexDigest() != digest) {
      return Fail(destination, "exists and differs; not replaced", folder);
    }
    ++report_.files_kept;
    items.push_back({IndexItem::Type::File, path, from.size, from.mtime_ns, std::move(digest), {}});
  }

  void CopyLink(const std::string& source, const std::string& destination, const std::string& path,
                std::vector<IndexItem>& items, int folder) {
    if (options_.stop_requested && options_.stop_requested()) throw Interrupted{};
    std::string target;
    if (const int error = copier_.ReadLink(source, target); error != 0) {
      return Fail(
          source,
          error == EOPNOTSUPP ? "a link, which this system cannot copy" : std::strerror(error),
          folder);
    }
    int error = copier_.CopyLink(source, destination);
    if (error == EEXIST) {
      std::string there;
      const bool same = copier_.Status(destination).kind == Kind::Link &&
                        copier_.ReadLink(destination, there) == 0 && there == target;
      if (!same) return Fail(destination, "exists and differs; not replaced", folder);
      error = 0;
    }
    if (error != 0) return Fail(destination, std::strerror(error), folder);
    items.push_back({IndexItem::Type::Link, path, 0, 0, {}, std::move(target)});
  }

  void CopyFolder(const std::string& source, const std::string& destination,
                  const std::string& path, std::vector<IndexItem>& items, int parent) {
    const int made = copier_.MakeFolder(destination);
    if (made == EEXIST && copier_.Status(destination).kind != Kind::Folder) {
      return Fail(destination, "exists and is not a folder; not replaced", parent);
    }
    if (made != 0 && made != EEXIST) return Fail(destination, std::strerror(made), parent);
    if (made == EEXIST) RemoveLeftovers(destination);
    const int folder = static_cast<int>(folders_.size());
    folders_.push_back({source, destination, parent, entry_failed_.size() - 1, true});
    std::vector<platform::FolderItem> children;
    if (const int error = copier_.List(source, children); error != 0) {
      return Fail(source, std::strerror(error), folder);
    }
    std::sort(children.begin(), children.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    items.push_back({IndexItem::Type::Folder, path, 0, 0, {}, {}});
    for (const platform::FolderItem& child : children) {
      Copy(platform::JoinPath(source, child.name), platform::JoinPath(destination, child.name),
           path + "/" + child.name, items, folder);
    }
    finished_folders_.push_back(folder);
  }

  const CopyOptions& options_;
  platform::FileCopier& copier_;
  CopyReport& report_;
  std::mutex bytes_mutex_;
  std::vector<bool> entry_failed_;
  std::vector<FolderNode> folders_;
  std::vector<int> finished_folders_;  // innermost first
};

bool WillCopy(const TSplitEntry& entry, const CopyPlan& plan) {
  return entry.Volume > 0 && entry.Volume <= plan.volume_count &&
         !(plan.skip_last && entry.Volume == plan.volume_count);
}

// Makes the folders on the way to a volume folder and the folder itself.
int MakeVolumeFolder(platform::FileCopier& copier, const std::string& folder) {
  std::vector<std::string> missing;  // innermost first
  for (std::string path = folder;
       !platform::IsRootPath(path) && path != "." && copier.Status(path).kind == Kind::Missing;
       path = platform::ParentFolder(path)) {
    missing.push_back(path);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    const int error = copier.MakeFolder(*it);
    if (error != 0 && error != EEXIST) return error;
  }
  return copier.Status(folder).kind == Kind::Folder ? 0 : ENOTDIR;
}

// The set this copy continues: the id in an index an earlier run left on one
// of the volumes, else a new one.
std::string SetIdOf(const std::map<std::int32_t, std::string>& folders) {
  for (const auto& [volume, folder] : folders) {
    const platform::FileRead read =
        platform::ReadWholeFile(platform::JoinPath(folder, kIndexFileName));
    if (!read.content) continue;
    std::string error;
    if (const std::optional<VolumeIndex> index = ParseIndex(*read.content, error)) {
      return index->set_id;
    }
  }
  return NewSetId();
}

// Writes a new file, or keeps one that an earlier run wrote with the same text.
int WriteOrKeep(platform::FileCopier& copier, const std::string& path, const std::string& text) {
  const int error = copier.WriteNewFile(path, text);
  if (error != EEXIST) return error;
  const platform::FileRead read = platform::ReadWholeFile(path);
  return read.content && *read.content == text ? 0 : EEXIST;
}

}  // namespace

CopyPreparation PrepareCopy(Prompter& prompter, const CommandState& state, const MoveInputs& inputs,
                            bool skip_last, bool link) {
  CopyPreparation prepared;
  prepared.refusal = CopyRefusal::Shown;
  const std::string& input_text = inputs.input_text;
  const std::string& output_text = inputs.output_text;
  if (!PlatformPathRules().CheckPathSyntax(prompter, output_text, "出力フォルダ")) return prepared;
  std::optional<std::string> input = platform::RealFolderPath(input_text);
  std::optional<std::string> output = platform::RealFolderPath(output_text);
  if (!input || !output) {
    prompter.ShowMessage("フォルダを開けません: " + (!input ? input_text : output_text));
    return prepared;
  }
  if (*input == *output) {
    prompter.ShowMessage(path_messages::kSameFolder);
    return prepared;
  }
  CopyPlan& plan = prepared.plan;
  plan.folders = FixedFolders{std::move(*input), std::move(*output)};
  plan.naming = inputs.naming;
  plan.entries = state.EntryList.get();
  plan.volume_count = state.VolumeCount;
  plan.skip_last = skip_last;
  if (platform::IsSameOrBelow(plan.folders.output, plan.folders.input)) {
    prepared.refusal = CopyRefusal::OutputInInput;
    return prepared;
  }
  if (link && !platform::IsSameFileSystem(plan.folders.input, plan.folders.output)) {
    prepared.refusal = CopyRefusal::LinkAcrossFileSystems;
    return prepared;
  }
  // Move's refusal: an output folder inside an entry (through a link among
  // the entries) would be copied into itself.
  if (plan.entries) {
    MovePlan as_move;
    as_move.folders = plan.folders;
    as_move.naming = plan.naming;
    as_move.entries = plan.entries;
    as_move.volume_count = plan.volume_count;
    as_move.skip_last = plan.skip_last;
    if (!CheckOutputOutsideEntries(prompter, as_move)) return prepared;
  }
  prepared.refusal = CopyRefusal::None;
  return prepared;
}

CopyReport CopyVolumes(const CopyPlan& plan, const CopyOptions& options) {
  CopyReport report;
  // The volumes to fill, by number, with their folders. Declared before the
  // copier: its copies still waiting when it goes are placed into `items`.
  std::map<std::int32_t, std::string> folders;
  std::map<std::int32_t, bool> whole;
  std::map<std::int32_t, std::vector<IndexItem>> items;
  VolumeCopier copier(options, report);
  for (const TSplitEntry& entry : *plan.entries) {
    if (!WillCopy(entry, plan) || folders.count(entry.Volume) > 0) continue;
    if (std::optional<std::string> folder =
            VolumeFolderPath(plan.folders, plan.naming, entry.Volume)) {
      folders.emplace(entry.Volume, std::move(*folder));
      whole.emplace(entry.Volume, true);
    }
  }
  report.set_id = SetIdOf(folders);
  // A catalogue write that was killed leaves its temporary file beside the volumes.
  if (copier.copier().Status(plan.folders.output).kind == Kind::Folder) {
    copier.RemoveLeftovers(plan.folders.output);
  }

  std::vector<std::int32_t> entry_volumes;
  std::set<std::int32_t> volumes_seen;
  try {
    for (const TSplitEntry& entry : *plan.entries) {
      if (!WillCopy(entry, plan)) continue;
      copier.BeginEntry();
      entry_volumes.push_back(entry.Volume);
      const std::optional<MoveStep> step =
          MakeMoveStep(plan.folders, plan.naming, entry.Volume, entry.Name(), Direction::Out);
      if (!step) {
        copier.Fail(std::string(entry.Name()), "not a single name; not copied");
        continue;
      }
      const std::string& folder = folders[entry.Volume];
      // A volume folder from an earlier run may hold what a killed copy left.
      const bool first_visit = volumes_seen.insert(entry.Volume).second;
      const bool existed = first_visit && copier.copier().Status(folder).kind == Kind::Folder;
      if (const int error = MakeVolumeFolder(copier.copier(), folder); error != 0) {
        copier.Fail(folder, std::strerror(error));
        continue;
      }
      if (existed) copier.RemoveLeftovers(folder);
      copier.Copy(step->source, step->destination, std::string(entry.Name()), items[entry.Volume]);
    }
  } catch (const Interrupted&) {
    // What was copied keeps its place; the same copy finishes the rest.
    copier.copier().FinishCopies();
    report.status = CopyReport::Status::Interrupted;
    return report;
  }
  copier.Finish();
  for (std::size_t i = 0; i < entry_volumes.size(); ++i) {
    if (copier.EntryFailed(i)) {
      ++report.entries_failed;
      whole[entry_volumes[i]] = false;
    } else {
      ++report.entries_copied;
    }
  }

  if (options.write_index) {
    const std::int32_t last = plan.skip_last ? plan.volume_count - 1 : plan.volume_count;
    std::vector<VolumeIndex> indexes;
    for (const auto& [volume, folder] : folders) {
      if (!whole[volume]) continue;
      VolumeIndex index{report.set_id, volume, last, plan.naming.FolderName(volume),
                        std::move(items[volume])};
      std::sort(index.items.begin(), index.items.end(),
                [](const IndexItem& a, const IndexItem& b) { return a.path < b.path; });
      const std::string path = platform::JoinPath(folder, kIndexFileName);
      if (const int error = WriteOrKeep(copier.copier(), path, IndexText(index)); error != 0) {
        copier.Fail(
            path, error == EEXIST ? "another index is there; not replaced" : std::strerror(error));
        whole[volume] = false;
        continue;
      }
      report.indexes.push_back(path);
      indexes.push_back(std::move(index));
    }
    const bool all_whole =
        std::all_of(whole.begin(), whole.end(), [](const auto& volume) { return volume.second; });
    if (all_whole && !indexes.empty()) {
      int error = 0;
      for (const auto& [name, text] : {std::pair{kCatalogueJsonName, CatalogueJson(indexes)},
                                       std::pair{kCatalogueTsvName, CatalogueTsv(indexes)}}) {
        const std::string path = platform::JoinPath(plan.folders.output, name);
        error = WriteOrKeep(copier.copier(), path, text);
        if (error != 0) {
          copier.Fail(path, error == EEXIST ? "another catalogue is there; not replaced"
                                            : std::strerror(error));
          break;
        }
      }
      report.catalogue_written = error == 0;
    }
  }
  report.status =
      report.failures.empty() ? CopyReport::Status::Done : CopyReport::Status::SomeFailed;
  return report;
}

}  // namespace morvick
