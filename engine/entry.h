#pragma once

// One record per top-level entry of the input folder, and the list that holds
// them. A record is 32 bytes of fixed fields; its name lives in the list's
// arena, and its date and kind texts are made from those fields when they are
// shown, so a million entries take a few tens of megabytes.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace morvick {

struct TSplitEntry {
  std::int64_t Size = 0;    // bytes, a folder's being the sum beneath it
  std::int32_t Volume = 0;  // 0 = not assigned; packing numbers volumes from 1
  std::uint32_t Stamp = 0;  // the last-write time the date text shows (PackFileDate)

  std::string_view Name() const { return {name_, name_length_}; }  // native bytes, no path
  bool IsFolder() const { return is_folder_; }
  std::string DateText() const;  // "yyyy/mm/dd hh:nn:ss"
  std::string KindText() const;  // "Folder", or "File(" + extension + ")"

 private:
  friend class EntryList;
  const char* name_ = nullptr;
  std::uint32_t name_length_ = 0;
  bool is_folder_ = false;
};

// The ordered records of one investigation. Packing reorders the records in
// place; their names stay where they are, in blocks that never move.
class EntryList {
 public:
  using iterator = std::vector<TSplitEntry>::iterator;
  using const_iterator = std::vector<TSplitEntry>::const_iterator;

  EntryList() = default;
  EntryList(const EntryList& other);
  EntryList& operator=(const EntryList& other);
  EntryList(EntryList&&) noexcept = default;
  EntryList& operator=(EntryList&&) noexcept = default;
  ~EntryList() = default;

  // Appends a record with Volume 0 and returns it.
  TSplitEntry& Add(std::string_view name, std::int64_t size, std::uint32_t stamp, bool is_folder);
  // Drops the records from `count` on (their names stay in the arena).
  void Truncate(std::size_t count);

  std::size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  TSplitEntry& operator[](std::size_t i) { return records_[i]; }
  const TSplitEntry& operator[](std::size_t i) const { return records_[i]; }
  TSplitEntry& back() { return records_.back(); }
  const TSplitEntry& back() const { return records_.back(); }
  iterator begin() { return records_.begin(); }
  iterator end() { return records_.end(); }
  const_iterator begin() const { return records_.begin(); }
  const_iterator end() const { return records_.end(); }

  // Bytes held by the records and the names, for the memory figures.
  std::size_t memory_bytes() const;

 private:
  const char* Store(std::string_view name);

  std::vector<TSplitEntry> records_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t block_used_ = 0;
  std::size_t block_size_ = 0;
  std::size_t block_bytes_ = 0;
};

// The window's handle on the list: null before the first investigation and
// after close, which is not the same as an empty list.
using EntryListPtr = std::unique_ptr<EntryList>;

// Disposes the list and nulls the handle.
void FreeEntries(EntryListPtr& entries);

// A date and time packed into 32 bits as FAT stores it (year - 1980, month,
// day, hour, minute, second / 2, from the high bits down), so that packed
// values compare as the times do. Years 1980 to 2107, seconds in steps of two.
std::uint32_t PackFileDate(int year, int month, int day, int hour, int minute, int second);
// The last-write time (seconds since the epoch) in local time, seconds
// truncated to even, clamped to 1980/01/01 00:00:00 .. 2107/12/31 23:59:58.
std::uint32_t PackedFileTime(std::int64_t seconds_since_epoch);
// "yyyy/mm/dd hh:nn:ss" of a packed time.
std::string PackedDateText(std::uint32_t stamp);

// "Folder" or "File(" + extension from the last "." + ")".
std::string KindTextOf(std::string_view name, bool is_folder);

}  // namespace morvick
