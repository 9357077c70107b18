#include "commands/volume_verify.h"

#include "common/sha256.h"
#include "platform/file_io.h"
#include "platform/real_path.h"

#if MORVICK_DISC_IMAGES
#include "images/iso_image.h"
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <set>

namespace morvick {
namespace {

using Kind = platform::ItemStatus::Kind;
using Finding = VerifyFinding::Kind;

struct Interrupted {};

Kind KindOf(IndexItem::Type type) {
  switch (type) {
    case IndexItem::Type::File: return Kind::File;
    case IndexItem::Type::Folder: return Kind::Folder;
    case IndexItem::Type::Link: return Kind::Link;
  }
  return Kind::File;
}

// Every path below `folder` that the index does not list; folders that are
// not listed are reported once, not with everything in them.
void FindExtras(platform::FileCopier& reader, const std::string& folder, const std::string& path,
                const std::set<std::string>& listed, std::vector<VerifyFinding>& findings) {
  std::vector<platform::FolderItem> children;
  if (reader.List(folder, children) != 0) return;  // the folder's own check reports it
  for (const platform::FolderItem& child : children) {
    const std::string child_path = path.empty() ? child.name : path + "/" + child.name;
    if (path.empty() && child.name == kIndexFileName) continue;
    if (listed.count(child_path) == 0) {
      // A temporary file of a copy that was killed: the same copy run again removes it.
      const bool leftover =
          platform::IsCopyTemporaryName(child.name) && child.status.kind != Kind::Folder;
      findings.push_back(
          {Finding::Extra, child_path, leftover ? "left by an interrupted copy" : std::string()});
    } else if (child.status.kind == Kind::Folder) {
      FindExtras(reader, platform::JoinPath(folder, child.name), child_path, listed, findings);
    }
  }
}

// Whether a last-write time found matches the one listed. A file system that
// keeps whole seconds (ISO 9660 and Rock Ridge) or two (FAT) cuts the rest
// off, so such a time matches the listed one cut the same way.
bool SameTime(std::int64_t listed, std::int64_t found) {
  constexpr std::int64_t kSecond = 1000000000;
  if (listed == found) return true;
  if (found % kSecond != 0) return false;
  const std::int64_t listed_seconds = listed / kSecond - (listed % kSecond < 0 ? 1 : 0);
  const std::int64_t found_seconds = found / kSecond;
  return found_seconds <= listed_seconds && listed_seconds - found_seconds <= 1;
}

#if MORVICK_DISC_IMAGES
// An image file seen as a read-only folder tree, so that an image is verified
// as the folder or disc it will become. Its paths begin with "/".
class ImageFiles final : public platform::FileCopier {
 public:
  explicit ImageFiles(std::unique_ptr<images::ImageReader> reader) : reader_(std::move(reader)) {
    for (const images::ReadNode& node : reader_->nodes()) {
      nodes_.emplace(node.path, &node);
      const std::size_t slash = node.path.rfind('/');
      children_[slash == std::string::npos ? "" : node.path.substr(0, slash)].push_back(&node);
    }
  }

  platform::ItemStatus Status(const std::string& path) override {
    platform::ItemStatus status;
    const std::string key = Key(path);
    if (key.empty()) {
      status.kind = Kind::Folder;
      return status;
    }
    const auto found = nodes_.find(key);
    if (found == nodes_.end()) {
      status.error = ENOENT;
      return status;
    }
    const images::ReadNode& node = *found->second;
    switch (node.type) {
      case images::ImageNode::Type::File: status.kind = Kind::File; break;
      case images::ImageNode::Type::Folder: status.kind = Kind::Folder; break;
      case images::ImageNode::Type::Link: status.kind = Kind::Link; break;
    }
    status.size = node.size;
    status.mtime_ns = node.mtime_ns;
    return status;
  }
  int List(const std::string& folder, std::vector<platform::FolderItem>& items) override {
    const std::string key = Key(folder);
    for (const images::ReadNode* node : children_[key]) {
      items.push_back(
          {node->path.substr(key.empty() ? 0 : key.size() + 1), Status("/" + node->path)});
    }
    return 0;
  }
  int Read(const std::string& path, const platform::ByteSink& sink) override {
    return reader_->Read(Key(path), sink);
  }
  int ReadLink(const std::string& path, std::string& target) override {
    const auto found = nodes_.find(Key(path));
    if (found == nodes_.end() || found->second->type != images::ImageNode::Type::Link)
      return EINVAL;
    target = found->second->target;
    return 0;
  }
  int CopyRegularFile(const std::string&, const std::string&, platform::CopyMethod,
                      const platform::ByteSink&, const platform::PlacedSink&,
                      platform::ItemStatus&) override {
    return EROFS;
  }
  void FinishCopies() override {}
  int RemoveTemporary(const std::string&) override { return EROFS; }
  int CopyLink(const std::string&, const std::string&) override { return EROFS; }
  int MakeFolder(const std::string&) override { return EROFS; }
  int CopyFolderAttributes(const std::string&, const std::string&) override { return EROFS; }
  int WriteNewFile(const std::string&, const std::string&) override { return EROFS; }

 private:
  static std::string Key(const std::string& path) {
    return path.substr(path.find_first_not_of('/') == std::string::npos
                           ? path.size()
                           : path.find_first_not_of('/'));
  }

  std::unique_ptr<images::ImageReader> reader_;
  std::map<std::string, const images::ReadNode*> nodes_;
  std::map<std::string, std::vector<const images::ReadNode*>> children_;
};
#endif

// `shown` names the target in messages (the image file for an image).
VerifyReport VerifyTree(platform::FileCopier& reader, const std::string& target,
                        const std::string& shown, const VerifyOptions& options, bool image);

}  // namespace

VerifyReport VerifyVolume(const std::string& target, const VerifyOptions& options) {
  if (!platform::IsRegularFile(target) || options.reader) {
    return VerifyTree(options.reader ? *options.reader : platform::RealFileCopier(), target, target,
                      options, false);
  }
#if MORVICK_DISC_IMAGES
  VerifyReport report;
  std::unique_ptr<images::ImageReader> image = images::OpenImage(target, report.error);
  if (!image) {
    report.error = target + ": " + report.error;
    return report;
  }
  ImageFiles files(std::move(image));
  return VerifyTree(files, "/", target, options, true);
#else
  VerifyReport report;
  report.error = target + ": disc images cannot be read on this system";
  return report;
#endif
}

namespace {

VerifyReport VerifyTree(platform::FileCopier& reader, const std::string& target,
                        const std::string& shown, const VerifyOptions& options, bool image) {
  VerifyReport report;
  const std::string index_path = platform::JoinPath(target, kIndexFileName);
  const std::string shown_index = image ? shown + ": " + kIndexFileName : index_path;
  // The index is small; ReadWholeFile's limit keeps a stray large file out.
  platform::FileRead read;
  if (image) {
    read.content.emplace();
    read.error = reader.Read(index_path, [&read](const char* data, std::size_t size) {
      if (read.content->size() + size <= platform::kMaxWholeFile) read.content->append(data, size);
    });
    if (read.error != 0) read.content.reset();
  } else {
    read = platform::ReadWholeFile(index_path);
  }
  if (!read.content) {
    report.error = read.error == ENOENT ? "no " + std::string(kIndexFileName) + " in " + shown
                                        : shown_index + ": " + std::strerror(read.error);
    return report;
  }
  std::optional<VolumeIndex> index = ParseIndex(*read.content, report.error);
  if (!index) {
    report.error = shown_index + ": " + report.error;
    return report;
  }
  report.index = std::move(*index);

  std::int64_t total = 0;
  std::set<std::string> listed;
  for (const IndexItem& item : report.index.items) {
    listed.insert(item.path);
    if (item.type == IndexItem::Type::File) total += item.size;
  }
  std::vector<VerifyFinding>& findings = report.findings;
  try {
    for (const IndexItem& item : report.index.items) {
      const std::string path = platform::JoinPath(target, item.path);
      const platform::ItemStatus status = reader.Status(path);
      if (status.kind == Kind::Missing) {
        findings.push_back({Finding::Missing, item.path, {}});
        continue;
      }
      if (status.kind != KindOf(item.type)) {
        findings.push_back({Finding::Changed, item.path, "type"});
        continue;
      }
      if (item.type == IndexItem::Type::Link) {
        std::string link;
        if (reader.ReadLink(path, link) != 0 || link != item.target) {
          findings.push_back({Finding::Changed, item.path, "target"});
        }
        continue;
      }
      if (item.type != IndexItem::Type::File) continue;
      if (options.stop_requested && options.stop_requested()) throw Interrupted{};
      ++report.files_checked;
      if (status.size != item.size) {
        findings.push_back(
            {Finding::Changed, item.path,
             "size " + std::to_string(item.size) + " -> " + std::to_string(status.size)});
        report.bytes += item.size;
        if (options.progress) options.progress(report.bytes, total);
        continue;
      }
      Sha256 hash;
      const std::int64_t before = report.bytes;
      const int error = reader.Read(path, [&](const char* data, std::size_t size) {
        hash.Update(data, size);
        report.bytes += static_cast<std::int64_t>(size);
        if (options.progress) options.progress(report.bytes, total);
      });
      report.bytes = before + item.size;
      if (error != 0) {
        findings.push_back({Finding::Changed, item.path, std::strerror(error)});
      } else if (hash.HexDigest() != item.sha256) {
        findings.push_back({Finding::Changed, item.path, "sha256"});
      } else if (!SameTime(item.mtime_ns, status.mtime_ns)) {
        findings.push_back(
            {Finding::Changed, item.path,
             "mtime " + UtcTimeText(item.mtime_ns) + " -> " + UtcTimeText(status.mtime_ns)});
      }
    }
  } catch (const Interrupted&) {
    report.status = VerifyReport::Status::Interrupted;
    return report;
  }
  FindExtras(reader, target, "", listed, findings);
  std::stable_sort(findings.begin(), findings.end(),
                   [](const VerifyFinding& a, const VerifyFinding& b) { return a.path < b.path; });
  report.status = findings.empty() ? VerifyReport::Status::Match : VerifyReport::Status::Differs;
  return report;
}

}  // namespace

}  // namespace morvick
