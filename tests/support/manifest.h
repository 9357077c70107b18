#pragma once

// A manifest of a folder: every file, folder and link below it with its type,
// size, permission bits, modification time and a checksum of its content (of
// its target text for a link). Two manifests of the same folder taken before
// and after an operation are equal when the operation lost, changed or left
// behind nothing. The walk goes from descriptor to descriptor, so trees deeper
// than PATH_MAX are taken in full.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace morvick::testing {

struct ManifestItem {
  std::string path;  // relative to the root, "/" between names
  char type = '?';   // 'f' file, 'd' folder, 'l' link, 'o' anything else
  std::int64_t size = 0;
  unsigned mode = 0;           // permission bits
  std::int64_t mtime_ns = 0;   // not kept for folders: moving an entry changes their time
  std::uint64_t checksum = 0;  // content (files) or target (links); 0 for folders

  bool operator==(const ManifestItem&) const = default;
};

// How a test failure shows an item.
void PrintTo(const ManifestItem& item, std::ostream* out);

// Sorted by path. A missing root gives an empty manifest.
using Manifest = std::vector<ManifestItem>;

Manifest TakeManifest(const std::string& root);

// The differences, one a line ("missing: a/b", "added: c", "changed: d (size 3 -> 4)"),
// at most `limit` lines; "" when the manifests are equal.
std::string DiffManifests(const Manifest& before, const Manifest& after, std::size_t limit = 20);

// The number of files (not folders or links) and their total size.
struct ManifestTotals {
  std::int64_t files = 0;
  std::int64_t bytes = 0;
};
ManifestTotals Totals(const Manifest& manifest);

// Checks that every top-level entry of `before` (a manifest of the input
// folder) is found whole, with the same content, in exactly one of
// `locations` (folders such as the input folder and the volume folders).
// Other items in those folders are not looked at. Returns "" or a description
// of every entry that is missing, changed or found more than once.
std::string EveryEntryInOnePlace(const Manifest& before, const std::vector<std::string>& locations);

}  // namespace morvick::testing
