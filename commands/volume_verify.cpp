#include "commands/volume_verify.h"

#include "common/sha256.h"
#include "platform/file_io.h"
#include "platform/real_path.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
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
      findings.push_back({Finding::Extra, child_path, {}});
    } else if (child.status.kind == Kind::Folder) {
      FindExtras(reader, platform::JoinPath(folder, child.name), child_path, listed, findings);
    }
  }
}

}  // namespace

VerifyReport VerifyVolume(const std::string& target, const VerifyOptions& options) {
  platform::FileCopier& reader = options.reader ? *options.reader : platform::RealFileCopier();
  VerifyReport report;
  const std::string index_path = platform::JoinPath(target, kIndexFileName);
  // The index is small; ReadWholeFile's limit keeps a stray large file out.
  const platform::FileRead read = platform::ReadWholeFile(index_path);
  if (!read.content) {
    report.error = read.error == ENOENT ? "no " + std::string(kIndexFileName) + " in " + target
                                        : index_path + ": " + std::strerror(read.error);
    return report;
  }
  std::optional<VolumeIndex> index = ParseIndex(*read.content, report.error);
  if (!index) {
    report.error = index_path + ": " + report.error;
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

}  // namespace morvick
