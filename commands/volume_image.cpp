#include "commands/volume_image.h"

#include "common/sha256.h"
#include "engine/packing.h"
#include "platform/file_copy.h"
#include "platform/real_path.h"
#include "platform/serial_worker.h"
#include "platform/stream_files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>

namespace morvick {
namespace {

using images::ImageNode;
using images::kBlockSize;
using Kind = platform::ItemStatus::Kind;

std::int64_t Blocks(std::int64_t bytes) {
  return (bytes + kBlockSize - 1) / kBlockSize * kBlockSize;
}

// Characters of a UTF-8 name (an ISO 9660 name keeps one character of each,
// mapped), and its UTF-16 units (Joliet's).
std::int64_t Characters(const std::string& name) {
  return std::count_if(name.begin(), name.end(),
                       [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}
std::int64_t Utf16Units(const std::string& name) {
  std::int64_t units = 0;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) units += byte >= 0xF0 ? 2 : 1;
  }
  return units;
}

constexpr std::int64_t kMaxRecord = 255;
constexpr std::int64_t kExtentBytes = (std::int64_t{1} << 32) - kBlockSize;

// What one node's directory records take: in the ISO 9660 tree with its Rock
// Ridge fields (PX, TF with three times, NM, SL for a link), what of those
// fields goes to a continuation area, and in the Joliet tree. A file of 4 GiB
// or more has one record per extent.
struct RecordCost {
  std::int64_t iso = 0;
  std::int64_t continued = 0;
  std::int64_t joliet = 0;
  std::int64_t count = 1;
};

RecordCost RecordOf(const ImageNode& node) {
  const std::string name = node.path.substr(node.path.rfind('/') + 1);
  const bool file = node.type == ImageNode::Type::File;
  RecordCost cost;
  if (file && node.size > kExtentBytes) cost.count = (node.size + kExtentBytes - 1) / kExtentBytes;
  std::int64_t base = 33 + std::min<std::int64_t>(Characters(name), 31) + (file ? 2 : 0);
  base += base & 1;
  std::int64_t fields = 44 + 26 + 5 * (1 + static_cast<std::int64_t>(name.size()) / 250) +
                        static_cast<std::int64_t>(name.size());
  if (node.type == ImageNode::Type::Link) {
    fields += 5 + static_cast<std::int64_t>(node.target.size()) +
              2 * (1 + std::count(node.target.begin(), node.target.end(), '/'));
  }
  if (base + fields <= kMaxRecord) {
    cost.iso = base + fields;
  } else {
    cost.iso = base + 28 + 44 + 26;
    cost.continued = fields - 44 - 26;
  }
  std::int64_t joliet = 33 + 2 * std::min<std::int64_t>(Utf16Units(name), 64) + (file ? 4 : 0);
  cost.joliet = joliet + (joliet & 1);
  return cost;
}

// Bytes of a directory's extent: records never cross a block.
std::int64_t ExtentOf(const std::vector<std::int64_t>& records, std::int64_t dot_records) {
  std::int64_t at = dot_records;
  for (const std::int64_t record : records) {
    if (at % kBlockSize + record > kBlockSize) at = Blocks(at);
    at += record;
  }
  return Blocks(at);
}

// The root's extents are shared by the entries, so an entry's record there
// counts with its share of the block it lies in: a record never crosses a
// block, so a block holds a whole number of records of its length.
std::int64_t RootShare(std::int64_t record) {
  const std::int64_t per_block = kBlockSize / record;
  return (kBlockSize + per_block - 1) / per_block;
}

// An estimate of what `nodes` (one entry and everything in it) add to an
// image: their data blocks, the extents of their folders in both trees, the
// continuation areas, the path tables' lines, and the entry's records in the
// root. The exact size comes from the image writer; this is for packing.
std::int64_t CostOf(const std::vector<ImageNode>& nodes) {
  std::int64_t cost = 0;
  std::map<std::string, std::vector<std::int64_t>> iso_records;
  std::map<std::string, std::vector<std::int64_t>> joliet_records;
  std::map<std::string, std::int64_t> continued;
  for (const ImageNode& node : nodes) {
    const std::size_t slash = node.path.rfind('/');
    const std::string parent = slash == std::string::npos ? "" : node.path.substr(0, slash);
    const RecordCost record = RecordOf(node);
    for (std::int64_t i = 0; i < record.count; ++i) {
      iso_records[parent].push_back(record.iso);
      joliet_records[parent].push_back(record.joliet);
    }
    continued[parent] += record.continued;
    if (node.type == ImageNode::Type::File) cost += Blocks(node.size);
    if (node.type == ImageNode::Type::Folder) {
      iso_records[node.path];
      joliet_records[node.path];
      const std::string name = node.path.substr(slash == std::string::npos ? 0 : slash + 1);
      const std::int64_t iso_line = 8 + std::min<std::int64_t>(Characters(name), 31);
      const std::int64_t joliet_line = 8 + 2 * std::min<std::int64_t>(Utf16Units(name), 64);
      cost += 2 * (iso_line + (iso_line & 1) + joliet_line);
    }
  }
  for (const auto& [folder, records] : iso_records) {
    if (folder.empty()) {
      for (const std::int64_t record : records) cost += RootShare(record);
      continue;
    }
    cost += ExtentOf(records, 2 * (34 + 70));
  }
  for (const auto& [folder, records] : joliet_records) {
    if (folder.empty()) {
      for (const std::int64_t record : records) cost += RootShare(record);
      continue;
    }
    cost += ExtentOf(records, 2 * 34);
  }
  for (const auto& [folder, bytes] : continued) cost += folder.empty() ? bytes : Blocks(bytes);
  return cost;
}

// One entry as an image holds it: its nodes, or why it cannot go into one.
struct EntryTree {
  std::vector<ImageNode> nodes;
  std::int64_t index_bytes = 0;
  std::string problem;
};

bool Walk(platform::FileCopier& files, const std::string& source, const std::string& path,
          const platform::ItemStatus& status, EntryTree& tree) {
  ImageNode node;
  node.path = path;
  node.mtime_ns = status.mtime_ns;
  node.atime_ns = status.mtime_ns;
  node.mode = status.mode;
  switch (status.kind) {
    case Kind::File:
      node.type = ImageNode::Type::File;
      node.size = status.size;
      tree.nodes.push_back(std::move(node));
      return true;
    case Kind::Link:
      node.type = ImageNode::Type::Link;
      if (const int error = files.ReadLink(source, node.target); error != 0) {
        tree.problem = source + ": " + std::strerror(error);
        return false;
      }
      tree.nodes.push_back(std::move(node));
      return true;
    case Kind::Folder: {
      node.type = ImageNode::Type::Folder;
      tree.nodes.push_back(std::move(node));
      std::vector<platform::FolderItem> children;
      if (const int error = files.List(source, children); error != 0) {
        tree.problem = source + ": " + std::strerror(error);
        return false;
      }
      std::sort(children.begin(), children.end(),
                [](const auto& a, const auto& b) { return a.name < b.name; });
      for (const platform::FolderItem& child : children) {
        if (!Walk(files, platform::JoinPath(source, child.name), path + "/" + child.name,
                  child.status, tree)) {
          return false;
        }
      }
      return true;
    }
    case Kind::Missing:
      tree.problem = source + ": " + std::strerror(status.error ? status.error : ENOENT);
      return false;
    case Kind::Other: break;
  }
  tree.problem = source + ": not a file, folder or link";
  return false;
}

IndexItem IndexItemOf(const ImageNode& node, std::string sha256) {
  switch (node.type) {
    case ImageNode::Type::File:
      return {IndexItem::Type::File, node.path, node.size, node.mtime_ns, std::move(sha256), {}};
    case ImageNode::Type::Folder: return {IndexItem::Type::Folder, node.path, 0, 0, {}, {}};
    case ImageNode::Type::Link: return {IndexItem::Type::Link, node.path, 0, 0, {}, node.target};
  }
  return {};
}

// The index as it will read, with every hash still to come: a hash has 64
// digits whatever it is, and the largest volume numbers stand in for the
// real ones, so the index written later is never longer than this.
VolumeIndex PlaceholderIndex(const std::string& set_id, const std::string& folder,
                             const std::vector<ImageNode>& nodes) {
  VolumeIndex index{set_id, 2147483647, 2147483647, folder, {}};
  for (const ImageNode& node : nodes)
    index.items.push_back(IndexItemOf(node, std::string(64, '0')));
  std::sort(index.items.begin(), index.items.end(),
            [](const IndexItem& a, const IndexItem& b) { return a.path < b.path; });
  return index;
}

std::string ImageName(const VolumeNaming& naming, std::int32_t volume) {
  return naming.FolderName(volume) + ".iso";
}

class Planner {
 public:
  Planner(CommandState& state, const ImageInputs& inputs, ImagePlan& plan)
      : state_(state), inputs_(inputs), plan_(plan) {}

  void Run() {
    EntryList& entries = *state_.EntryList;
    platform::FileCopier& files = platform::RealFileCopier();
    plan_.set_id = NewSetId();
    const std::int64_t header =
        inputs_.write_index
            ? static_cast<std::int64_t>(IndexText(PlaceholderIndex(plan_.set_id, "", {})).size())
            : 0;
    images::ImageLayout empty;
    empty.volume_id = inputs_.naming.FolderName(1);
    if (inputs_.write_index) {
      empty.last_name = kIndexFileName;
      empty.last_size = header + static_cast<std::int64_t>(inputs_.naming.FolderName(1).size());
    }
    const std::optional<std::int64_t> overhead = images::ImageSize(empty, plan_.error);
    if (!overhead) return;
    plan_.overhead = *overhead;
    if (inputs_.capacity <= plan_.overhead) {
      plan_.error = "an image of no entries takes " + std::to_string(plan_.overhead) +
                    " bytes, more than the capacity of " + std::to_string(inputs_.capacity);
      return;
    }

    for (TSplitEntry& entry : entries) {
      const std::string name(entry.Name());
      EntryTree& tree = trees_[name];
      const std::string source = platform::JoinPath(inputs_.input, name);
      if (!Walk(files, source, name, files.Status(source), tree)) {
        plan_.unreadable.push_back(tree.problem);
        entry.Size = -1;
        continue;
      }
      if (inputs_.write_index) {
        tree.index_bytes = static_cast<std::int64_t>(
                               IndexText(PlaceholderIndex(plan_.set_id, "", tree.nodes)).size()) -
                           header;
      }
      entry.Size = CostOf(tree.nodes) + tree.index_bytes;
      for (const ImageNode& node : tree.nodes) {
        if (images::JolietShortens(node.path.substr(node.path.rfind('/') + 1))) {
          plan_.joliet_shortened.push_back(node.path);
        }
      }
    }
    // An entry that cannot be read goes into no image; it is larger than any.
    for (TSplitEntry& entry : entries) {
      if (entry.Size < 0) entry.Size = inputs_.capacity + 1;
    }
    const PackingResult packed =
        PackEntries(entries, inputs_.method, inputs_.capacity - plan_.overhead, inputs_.limits);
    volume_count_ = packed.volume_count;
    state_.LowerBound = packed.lower_bound;
    state_.ProvenOptimal = packed.proven_optimal;
    if (!FitExactly()) return;
    Finish();
  }

 private:
  std::vector<TSplitEntry*> EntriesOf(std::int32_t volume) {
    std::vector<TSplitEntry*> list;
    for (TSplitEntry& entry : *state_.EntryList) {
      if (entry.Volume == volume) list.push_back(&entry);
    }
    return list;
  }

  images::ImageLayout LayoutOf(std::int32_t volume, const std::vector<TSplitEntry*>& entries) {
    images::ImageLayout layout;
    layout.volume_id = inputs_.naming.FolderName(volume);
    for (const TSplitEntry* entry : entries) {
      const EntryTree& tree = trees_.at(std::string(entry->Name()));
      layout.nodes.insert(layout.nodes.end(), tree.nodes.begin(), tree.nodes.end());
    }
    if (inputs_.write_index) {
      layout.last_name = kIndexFileName;
      layout.last_size = static_cast<std::int64_t>(
          IndexText(PlaceholderIndex(plan_.set_id, layout.volume_id, layout.nodes)).size());
    }
    return layout;
  }

  bool Unreadable(const TSplitEntry& entry) const {
    return !trees_.at(std::string(entry.Name())).problem.empty();
  }

  // Takes the exact size of every image and hands entries on until each fits;
  // then gives the entries the estimate left out a volume of their own where
  // they fit alone.
  bool FitExactly() {
    for (std::int32_t volume = 1; volume <= volume_count_; ++volume) {
      for (;;) {
        std::vector<TSplitEntry*> entries = EntriesOf(volume);
        if (entries.empty()) break;
        const std::optional<std::int64_t> size =
            images::ImageSize(LayoutOf(volume, entries), plan_.error);
        if (!size) return false;
        if (*size <= inputs_.capacity) break;
        if (entries.size() == 1) {
          Hand(*entries.front(), 0);
          break;
        }
        // The last entries go on, as many as cover the excess by their costs,
        // scaled by how far this image's exact size is from its estimate.
        std::int64_t estimate = 0;
        for (const TSplitEntry* entry : entries) estimate += entry->Size;
        const double scale = estimate > 0 ? static_cast<double>(*size - plan_.overhead) /
                                                static_cast<double>(estimate)
                                          : 1.0;
        double excess = static_cast<double>(*size - inputs_.capacity);
        if (volume == volume_count_) ++volume_count_;
        for (auto it = entries.rbegin(); it != entries.rend() - 1 && excess > 0; ++it) {
          excess -= static_cast<double>((*it)->Size) * scale;
          Hand(**it, volume + 1);
        }
      }
    }
    for (TSplitEntry& entry : *state_.EntryList) {
      if (entry.Volume != 0 || Unreadable(entry)) continue;
      const std::optional<std::int64_t> size =
          images::ImageSize(LayoutOf(volume_count_ + 1, {&entry}), plan_.error);
      if (!size) return false;
      if (*size <= inputs_.capacity) {
        entry.Volume = ++volume_count_;
        plan_.handovers.push_back({std::string(entry.Name()), 0, entry.Volume});
      }
    }
    return true;
  }

  void Hand(TSplitEntry& entry, std::int32_t to) {
    plan_.handovers.push_back({std::string(entry.Name()), entry.Volume, to});
    entry.Volume = to;
  }

  // Numbers the volumes again without gaps, lists the entries by volume and
  // takes every image's exact size with its final name.
  void Finish() {
    EntryList& entries = *state_.EntryList;
    std::map<std::int32_t, std::int32_t> renumber;
    for (const TSplitEntry& entry : entries) {
      if (entry.Volume > 0) renumber[entry.Volume] = 0;
    }
    std::int32_t next = 0;
    for (auto& [old_number, new_number] : renumber) new_number = ++next;
    for (TSplitEntry& entry : entries) {
      if (entry.Volume > 0) entry.Volume = renumber[entry.Volume];
    }
    // One line per entry that moved, from where the estimate put it to where it is.
    std::vector<Handover> moved;
    std::map<std::string, std::size_t> line_of;
    for (const Handover& handover : plan_.handovers) {
      const auto [line, added] = line_of.emplace(handover.name, moved.size());
      if (added) {
        moved.push_back(handover);
      } else {
        moved[line->second].to = handover.to;
      }
    }
    std::erase_if(moved, [](const Handover& handover) { return handover.from == handover.to; });
    for (Handover& handover : moved) {
      if (renumber.count(handover.from) > 0) handover.from = renumber[handover.from];
      if (renumber.count(handover.to) > 0) handover.to = renumber[handover.to];
    }
    plan_.handovers = std::move(moved);
    if (!plan_.handovers.empty()) {
      std::stable_sort(
          entries.begin(), entries.end(),
          [](const TSplitEntry& a, const TSplitEntry& b) { return a.Volume < b.Volume; });
    }
    state_.VolumeCount = std::max(next, 1);
    state_.LowerBound = std::min(state_.LowerBound, state_.VolumeCount);
    state_.GrandTotal = 0;
    for (std::int32_t volume = 1; volume <= next; ++volume) {
      PlannedImage image;
      image.volume = volume;
      image.name = ImageName(inputs_.naming, volume);
      image.planned = plan_.overhead;
      const std::vector<TSplitEntry*> list = EntriesOf(volume);
      for (const TSplitEntry* entry : list) image.planned += entry->Size;
      state_.GrandTotal += image.planned - plan_.overhead;
      image.layout = LayoutOf(volume, list);
      const std::optional<std::int64_t> exact = images::ImageSize(image.layout, plan_.error);
      if (!exact) return;
      image.exact = *exact;
      plan_.images.push_back(std::move(image));
    }
  }

  CommandState& state_;
  const ImageInputs& inputs_;
  ImagePlan& plan_;
  std::unordered_map<std::string, EntryTree> trees_;
  std::int32_t volume_count_ = 1;
};

// The files of one image, read and hashed as the image writer takes them.
class VolumeContent final : public images::ContentSource {
 public:
  // Without an index (`hash` false) nothing is hashed.
  VolumeContent(const images::ImageLayout& layout, const std::string& input, VolumeIndex index,
                bool hash, std::atomic<std::int64_t>& bytes)
      : layout_(layout),
        input_(input),
        index_(std::move(index)),
        hashes_(layout.nodes.size()),
        digests_(layout.nodes.size()),
        bytes_(bytes) {
    if (hash) {
      for (auto& hasher : hashers_) hasher = std::make_unique<platform::SerialWorker>();
    }
  }

  int Open(std::size_t index) override {
    const ImageNode& node = layout_.nodes[index];
    const std::string path = platform::JoinPath(input_, node.path);
    std::int64_t size = 0;
    std::int64_t mtime_ns = 0;
    if (const int error = file_.Open(path, size, mtime_ns); error != 0) {
      return Fail(path + ": " + std::strerror(error));
    }
    if (size != node.size || mtime_ns != node.mtime_ns) {
      return Fail(path + ": changed since it was planned");
    }
    left_ = size;
    buffered_ = 0;
    taken_ = 0;
    return 0;
  }

  // The image writer asks for a block at a time; the file is read a
  // mebibyte at a time, and each mebibyte is hashed on a thread of its own
  // while the image writer takes it.
  long Read(std::size_t index, char* buffer, std::size_t count) override {
    if (taken_ == buffered_) {
      if (left_ <= 0) return 0;
      const auto want = static_cast<std::size_t>(
          std::min<std::int64_t>(left_, static_cast<std::int64_t>(kChunk)));
      slot_ = (slot_ + 1) % kSlots;
      char* data = buffers_.get() + slot_ * kChunk;
      {
        std::unique_lock lock(mutex_);
        hashed_.wait(lock, [this] { return !hashing_[slot_]; });
      }
      const long got = file_.Read(data, want);
      if (got <= 0) {
        const std::string path = platform::JoinPath(input_, layout_.nodes[index].path);
        return -Fail(
            path + ": " +
            (got < 0 ? std::strerror(static_cast<int>(-got)) : "shorter than when it was planned"));
      }
      if (hashers_[0]) {
        {
          const std::lock_guard lock(mutex_);
          hashing_[slot_] = true;
        }
        HasherOf(index).Post([this, index, data, got, slot = slot_] {
          hashes_[index].Update(data, static_cast<std::size_t>(got));
          {
            const std::lock_guard lock(mutex_);
            hashing_[slot] = false;
          }
          hashed_.notify_all();
        });
      }
      left_ -= got;
      bytes_ += got;
      buffered_ = static_cast<std::size_t>(got);
      taken_ = 0;
    }
    const std::size_t take = std::min(count, buffered_ - taken_);
    std::memcpy(buffer, buffers_.get() + slot_ * kChunk + taken_, take);
    taken_ += take;
    return static_cast<long>(take);
  }

  void Close(std::size_t index) override {
    file_.Close();
    if (hashers_[0])
      HasherOf(index).Post([this, index] { digests_[index] = hashes_[index].HexDigest(); });
  }

  // Every other file has been written by now: the index can say what they held.
  std::string LastContent() override {
    std::map<std::string, std::string> digests;
    if (hashers_[0]) {
      for (auto& hasher : hashers_) hasher->Wait();
      for (std::size_t i = 0; i < layout_.nodes.size(); ++i) {
        if (!digests_[i].empty()) digests[layout_.nodes[i].path] = std::move(digests_[i]);
      }
    }
    for (IndexItem& item : index_.items) {
      if (item.type != IndexItem::Type::File) continue;
      const auto digest = digests.find(item.path);
      if (digest == digests.end()) {
        Fail(item.path + ": not read before the index");
        continue;
      }
      item.sha256 = digest->second;
    }
    std::string text = IndexText(index_);
    if (static_cast<std::int64_t>(text.size()) > layout_.last_size)
      Fail("the index grew past its room");
    return text;
  }

  bool failed() const { return failed_; }
  std::string failure() {
    const std::lock_guard lock(mutex_);
    return failure_;
  }
  const VolumeIndex& index() const { return index_; }

 private:
  platform::SerialWorker& HasherOf(std::size_t index) { return *hashers_[index % 2]; }

  int Fail(const std::string& reason) {
    const std::lock_guard lock(mutex_);
    if (!failed_) failure_ = reason;
    failed_ = true;
    return EIO;
  }

  const images::ImageLayout& layout_;
  const std::string& input_;
  VolumeIndex index_;
  std::vector<Sha256> hashes_;
  std::vector<std::string> digests_;  // by node, made on the hashers' threads
  static constexpr std::size_t kChunk = 1 << 20;
  static constexpr std::size_t kSlots = 4;
  platform::InputFile file_;
  std::int64_t left_ = 0;  // bytes of the file not read yet
  std::unique_ptr<char[]> buffers_{new char[kSlots * kChunk]};
  std::size_t slot_ = 0;  // the buffer the image writer takes from
  std::size_t buffered_ = 0;
  std::size_t taken_ = 0;
  std::atomic<std::int64_t>& bytes_;
  std::atomic<bool> failed_{false};
  std::mutex mutex_;
  std::condition_variable hashed_;
  bool hashing_[kSlots] = {};
  std::string failure_;
  // Last: their threads end, after the hashes posted, before what they use
  // goes. Two, so that two files are hashed at once.
  std::unique_ptr<platform::SerialWorker> hashers_[2];
};

// An image made straight into the buffers of its new file, counted as it goes.
class ImageFile final : public images::ImageSink {
 public:
  ImageFile(platform::NewFile& file, std::function<void(std::size_t)> written)
      : file_(file), written_(std::move(written)) {}
  char* Space(std::size_t& room) override { return file_.Space(room); }
  int Fill(std::size_t size) override {
    const int error = file_.Fill(size);
    if (error == 0) written_(size);
    return error;
  }

 private:
  platform::NewFile& file_;
  std::function<void(std::size_t)> written_;
};

const char* WriteErrorText(int error) {
  switch (error) {
    case ENOSPC: return "the disk is full";
    case EFBIG: return "the file is larger than this file system or the file size limit allows";
    default: return std::strerror(error);
  }
}

}  // namespace

ImagePlan PlanImages(CommandState& state, const ImageInputs& inputs) {
  ImagePlan plan;
  if (!state.EntryList) return plan;
  Planner(state, inputs, plan).Run();
  return plan;
}

ImageWriteReport WriteImages(ImagePlan& plan, const ImageInputs& inputs,
                             const ImageWriteOptions& options) {
  ImageWriteReport report;
  platform::IgnoreFileSizeSignal();
  std::vector<PlannedImage*> todo;
  for (PlannedImage& image : plan.images) {
    if (inputs.skip_last && image.volume == static_cast<std::int32_t>(plan.images.size())) continue;
    todo.push_back(&image);
  }
  // Nothing is written when any name is taken: an image is never replaced.
  std::vector<std::string> names;
  for (const PlannedImage* image : todo) names.push_back(image->name);
  if (inputs.write_index && !todo.empty()) {
    names.push_back(kCatalogueJsonName);
    names.push_back(kCatalogueTsvName);
  }
  platform::FileCopier& files = platform::RealFileCopier();
  for (const std::string& name : names) {
    const std::string path = platform::JoinPath(inputs.output, name);
    if (files.Status(path).kind != Kind::Missing) {
      report.status = ImageWriteReport::Status::Exists;
      report.failed_path = path;
      report.reason = "exists; not replaced";
      return report;
    }
  }

  // A killed run's partial images go first: each can be as large as an image.
  std::vector<platform::FolderItem> children;
  if (files.List(inputs.output, children) == 0) {
    for (const platform::FolderItem& child : children) {
      if (child.status.kind != Kind::File || !platform::IsNewFileTemporaryName(child.name)) {
        continue;
      }
      if (platform::RemoveNewFileLeftover(platform::JoinPath(inputs.output, child.name)) == 0) {
        ++report.leftovers_removed;
      }
    }
  }

  std::int64_t total = 0;
  for (const PlannedImage* image : todo) total += image->exact;
  std::int64_t done = 0;
  std::atomic<std::int64_t> file_bytes{0};
  std::vector<VolumeIndex> indexes;
  const std::int32_t last =
      static_cast<std::int32_t>(plan.images.size()) - (inputs.skip_last ? 1 : 0);
  for (PlannedImage* image : todo) {
    const std::string path = platform::JoinPath(inputs.output, image->name);
    VolumeIndex index = PlaceholderIndex(plan.set_id, image->layout.volume_id, image->layout.nodes);
    index.volume = image->volume;
    index.volume_count = last;
    VolumeContent content(image->layout, inputs.input, std::move(index), inputs.write_index,
                          file_bytes);
    platform::NewFile out;
    const auto fail = [&](ImageWriteReport::Status status, const std::string& reason) {
      out.Discard();
      report.status = status;
      report.failed_path = path;
      report.reason = reason;
      return report;
    };
    if (const int error = out.Create(path); error != 0) {
      return fail(ImageWriteReport::Status::Failed, WriteErrorText(error));
    }
    std::string error_text;
    ImageFile sink(out, [&](std::size_t size) {
      done += static_cast<std::int64_t>(size);
      if (options.progress) options.progress(done, total);
    });
    const int error = images::WriteImage(
        image->layout, content, sink,
        [&] { return content.failed() || (options.stop_requested && options.stop_requested()); },
        error_text);
    if (content.failed()) return fail(ImageWriteReport::Status::Failed, content.failure());
    if (error == ECANCELED) return fail(ImageWriteReport::Status::Interrupted, "interrupted");
    if (error == EIO && !error_text.empty())
      return fail(ImageWriteReport::Status::Failed, error_text);
    if (error != 0) {
      return fail(ImageWriteReport::Status::Failed,
                  std::string(WriteErrorText(error)) + "; the partial image was removed");
    }
    if (const int committed = out.Commit(); committed != 0) {
      return fail(
          committed == EEXIST ? ImageWriteReport::Status::Exists : ImageWriteReport::Status::Failed,
          committed == EEXIST
              ? "exists; not replaced"
              : std::string(WriteErrorText(committed)) + "; the partial image was removed");
    }
    report.written.push_back(path);
    indexes.push_back(content.index());
  }
  if (inputs.write_index && !indexes.empty()) {
    for (const auto& [name, text] : {std::pair{kCatalogueJsonName, CatalogueJson(indexes)},
                                     std::pair{kCatalogueTsvName, CatalogueTsv(indexes)}}) {
      const std::string path = platform::JoinPath(inputs.output, name);
      if (const int error = files.WriteNewFile(path, text); error != 0) {
        report.status =
            error == EEXIST ? ImageWriteReport::Status::Exists : ImageWriteReport::Status::Failed;
        report.failed_path = path;
        report.reason = error == EEXIST ? "exists; not replaced" : WriteErrorText(error);
        return report;
      }
    }
    report.catalogue_written = true;
  }
  return report;
}

}  // namespace morvick
