#include "engine/entry.h"

#include "platform/local_time.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

namespace morvick {
namespace {

// Names are kept in blocks of this size; a longer name gets a block of its own.
constexpr std::size_t kBlockSize = 64 * 1024;

}  // namespace

std::string TSplitEntry::DateText() const { return PackedDateText(Stamp); }

std::string TSplitEntry::KindText() const { return KindTextOf(Name(), is_folder_); }

EntryList::EntryList(const EntryList& other) {
  records_.reserve(other.records_.size());
  for (const TSplitEntry& record : other.records_) {
    Add(record.Name(), record.Size, record.Stamp, record.IsFolder()).Volume = record.Volume;
  }
}

EntryList& EntryList::operator=(const EntryList& other) {
  if (this != &other) *this = EntryList(other);
  return *this;
}

TSplitEntry& EntryList::Add(std::string_view name, std::int64_t size, std::uint32_t stamp,
                            bool is_folder) {
  TSplitEntry& record = records_.emplace_back();
  record.Size = size;
  record.Stamp = stamp;
  record.name_ = Store(name);
  record.name_length_ = static_cast<std::uint32_t>(name.size());
  record.is_folder_ = is_folder;
  return record;
}

const char* EntryList::Store(std::string_view name) {
  if (name.empty()) return nullptr;
  if (block_size_ - block_used_ < name.size()) {
    block_size_ = std::max(kBlockSize, name.size());
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(block_size_));
    block_bytes_ += block_size_;
    block_used_ = 0;
  }
  char* place = blocks_.back().get() + block_used_;
  std::memcpy(place, name.data(), name.size());
  block_used_ += name.size();
  return place;
}

void EntryList::Truncate(std::size_t count) {
  if (count < records_.size()) records_.resize(count);
}

std::size_t EntryList::memory_bytes() const {
  return records_.capacity() * sizeof(TSplitEntry) + block_bytes_;
}

void FreeEntries(EntryListPtr& entries) { entries.reset(); }

std::uint32_t PackFileDate(int year, int month, int day, int hour, int minute, int second) {
  return static_cast<std::uint32_t>(year - 1980) << 25 | static_cast<std::uint32_t>(month) << 21 |
         static_cast<std::uint32_t>(day) << 16 | static_cast<std::uint32_t>(hour) << 11 |
         static_cast<std::uint32_t>(minute) << 5 | static_cast<std::uint32_t>(second) >> 1;
}

std::uint32_t PackedFileTime(std::int64_t seconds_since_epoch) {
  static const std::uint32_t kEarliest = PackFileDate(1980, 1, 1, 0, 0, 0);
  static const std::uint32_t kLatest = PackFileDate(2107, 12, 31, 23, 59, 58);
  const std::optional<platform::LocalTime> local = platform::LocalTimeOf(seconds_since_epoch);
  if (!local) return seconds_since_epoch < 0 ? kEarliest : kLatest;
  // The MS-DOS date and time words hold the years 1980 to 2107 and even seconds.
  if (local->year < 1980) return kEarliest;
  if (local->year > 2107) return kLatest;
  return PackFileDate(local->year, local->month, local->day, local->hour, local->minute,
                      local->second);
}

std::string PackedDateText(std::uint32_t stamp) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u:%02u", 1980 + (stamp >> 25),
                (stamp >> 21) & 0xF, (stamp >> 16) & 0x1F, (stamp >> 11) & 0x1F,
                (stamp >> 5) & 0x3F, (stamp & 0x1F) * 2);
  return text;
}

std::string KindTextOf(std::string_view name, bool is_folder) {
  if (is_folder) return "Folder";
  const std::size_t dot = name.rfind('.');
  std::string kind = "File(";
  if (dot != std::string_view::npos) kind.append(name.substr(dot));
  kind += ')';
  return kind;
}

}  // namespace morvick
