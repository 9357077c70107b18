#include "engine/scan.h"

#include "common/text_rules.h"
#include "platform/directory_reader.h"

#include <cstddef>
#include <cstdio>
#include <limits>
#include <memory>

namespace morvick {
namespace {

constexpr std::int64_t kMaxSize = std::numeric_limits<std::int64_t>::max();

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
  std::int64_t sum;
  if (__builtin_add_overflow(a, b, &sum))
    return b > 0 ? kMaxSize : std::numeric_limits<std::int64_t>::min();
  return sum;
}

// Rounds a non-negative amount up to whole clusters. A negative cluster size
// rounds by its magnitude; the count of clusters is 64-bit, and an amount whose
// rounding would pass the largest size stays at the largest size.
std::int64_t RoundToClusters(std::int64_t amount, std::int64_t cluster) {
  if (cluster == 0 || amount <= 0) return amount;
  const std::uint64_t magnitude =
      cluster < 0 ? 0u - static_cast<std::uint64_t>(cluster) : static_cast<std::uint64_t>(cluster);
  const auto value = static_cast<std::uint64_t>(amount);
  const std::uint64_t clusters = value / magnitude + (value % magnitude != 0 ? 1 : 0);
  std::uint64_t rounded;
  if (__builtin_mul_overflow(clusters, magnitude, &rounded) ||
      rounded > static_cast<std::uint64_t>(kMaxSize)) {
    return kMaxSize;
  }
  return static_cast<std::int64_t>(rounded);
}

bool IsDotOrDotDot(std::string_view name) { return name == "." || name == ".."; }

// The folder to enumerate: a path (the call made from outside) or a subfolder
// reached through its parent's open descriptor (every nested call).
struct FolderSource {
  const std::string* path = nullptr;
  platform::FolderReader* parent = nullptr;
  std::string_view name;

  std::unique_ptr<platform::FolderReader> Open(platform::DirectoryLister& folders) const {
    return path ? folders.Open(*path) : parent->OpenChild(name);
  }
};

std::int64_t ScanSource(ScanTarget& target, TreeStore::NodeId parent_node,
                        const FolderSource& source, bool top_level) {
  ScanHost& host = target.host;
  const std::int64_t cluster = ParseInt64(host.ClusterSizeText());
  std::int64_t running_total = 0;
  if (host.CancelRequested()) return 0;

  // Opening a huge folder's listing can block for a while (a fifth of a
  // second for 100,000 entries under Wine, far longer on a slow share), so
  // the input folder's opens with the window live. Deeper folders open here:
  // a thread per folder would cost more than it saves.
  std::unique_ptr<platform::FolderReader> reader;
  if (top_level) {
    host.RunBlocking([&] { reader = source.Open(target.folders); });
  } else {
    reader = source.Open(target.folders);
  }
  platform::DirectoryEntry entry;
  if (!reader || !reader->Next(entry)) return running_total;
  const std::size_t first_record = target.entries.size();

  host.BeginTreeUpdate();
  try {
    for (;;) {
      if (!IsDotOrDotDot(entry.name)) {
        const TreeStore::NodeId node =
            target.tree ? target.tree->AddChild(parent_node, entry.name) : TreeStore::kNone;
        std::int64_t amount = 0;
        if (entry.is_directory) {
          // The name view dies with the next read; the nested call reads the
          // child, not this folder, so it stays valid for the call.
          amount = ScanSource(target, node, FolderSource{nullptr, reader.get(), entry.name}, false);
        } else {
          amount = entry.size;
        }
        amount = RoundToClusters(amount, cluster);
        running_total = SaturatingAdd(running_total, amount);
        if (top_level) {
          // Only records need the time, so deeper entries skip its conversion.
          target.entries.Add(entry.name, running_total, PackedFileTime(entry.mtime_seconds),
                             entry.is_directory);
          running_total = 0;
        }
      }
      host.PumpEvents();
      if (host.CancelRequested()) break;
      if (!reader->Next(entry)) break;
    }
    if (reader->error() != 0) {
      // The part read would pass for the whole folder; it counts as unreadable instead.
      running_total = 0;
      target.entries.Truncate(first_record);
      if (target.tree) target.tree->RemoveChildren(parent_node);
    }
  } catch (...) {
    host.EndTreeUpdate();
    throw;
  }
  host.EndTreeUpdate();
  return running_total;
}

}  // namespace

std::int64_t ScanFolder(ScanTarget& target, TreeStore::NodeId parent_node,
                        const std::string& folder_path, bool top_level) {
  return ScanSource(target, parent_node, FolderSource{&folder_path, nullptr, {}}, top_level);
}

std::string FormatFileDate(int year, int month, int day, int hour, int minute, int second) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", year, month, day, hour, minute,
                second);
  return text;
}

std::string FileTimeText(std::int64_t seconds_since_epoch) {
  return PackedDateText(PackedFileTime(seconds_since_epoch));
}

}  // namespace morvick
