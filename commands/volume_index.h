#pragma once

// The index at the root of every copied volume, and the catalogue of all
// volumes of one copy beside them: what went where, with every file's size,
// last-write time and SHA-256, so that a burned disc or an uploaded volume can
// be checked against it later.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvick {

inline constexpr const char* kIndexFileName = "morvick-index.json";
inline constexpr const char* kCatalogueJsonName = "morvick-catalogue.json";
inline constexpr const char* kCatalogueTsvName = "morvick-catalogue.tsv";

struct IndexItem {
  enum class Type { File, Folder, Link };
  Type type = Type::File;
  std::string path;  // relative to the volume's root, "/" between names
  std::int64_t size = 0;
  std::int64_t mtime_ns = 0;
  std::string sha256;  // files
  std::string target;  // links

  bool operator==(const IndexItem&) const = default;
};

struct VolumeIndex {
  std::string set_id;  // one per copy: the volumes of one set share it
  std::int32_t volume = 0;
  std::int32_t volume_count = 0;
  std::string folder;            // the volume folder's name
  std::vector<IndexItem> items;  // sorted by path
};

// A new set id: 32 hex digits.
std::string NewSetId();

// The index as written on the volume. The same index always gives the same
// text, so a second run can tell a complete index from another.
std::string IndexText(const VolumeIndex& index);

// Reads an index; nullopt with `error` saying why when the text is not one.
std::optional<VolumeIndex> ParseIndex(std::string_view text, std::string& error);

// The catalogue of a set, as JSON and as tab-separated lines (one per item).
std::string CatalogueJson(const std::vector<VolumeIndex>& volumes);
std::string CatalogueTsv(const std::vector<VolumeIndex>& volumes);

// A last-write time as UTC text: "2025-01-01T12:00:00.000000000Z".
std::string UtcTimeText(std::int64_t mtime_ns);

}  // namespace morvick
