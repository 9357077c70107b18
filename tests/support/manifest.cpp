#include "support/manifest.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <sstream>

namespace morvick::testing {
namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

std::uint64_t Fnv1a(std::uint64_t hash, const char* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    hash ^= static_cast<unsigned char>(data[i]);
    hash *= kFnvPrime;
  }
  return hash;
}

// An unreadable file (when the tests do not run as root) still has its size
// and times compared; its content stands as this value.
constexpr std::uint64_t kUnreadable = 1;

std::uint64_t FileChecksum(int folder_fd, const char* name) {
  const int fd = ::openat(folder_fd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return kUnreadable;
  std::uint64_t hash = kFnvOffset;
  char buffer[65536];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
    hash = Fnv1a(hash, buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return hash;
}

std::uint64_t LinkChecksum(int folder_fd, const char* name) {
  char target[4096];
  const ssize_t n = ::readlinkat(folder_fd, name, target, sizeof target);
  return n < 0 ? kUnreadable : Fnv1a(kFnvOffset, target, static_cast<std::size_t>(n));
}

// Adds the items of the folder open as `fd` (which this call closes); each
// path is `prefix` + name.
void Walk(int fd, const std::string& prefix, Manifest& out) {
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return;
  }
  std::vector<std::string> subfolders;
  while (const dirent* raw = ::readdir(dir)) {
    const std::string name = raw->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    if (::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    ManifestItem item;
    item.path = prefix + name;
    item.mode = info.st_mode & 07777;
    item.size = info.st_size;
    item.mtime_ns = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
    if (S_ISDIR(info.st_mode)) {
      item.type = 'd';
      item.size = 0;
      item.mtime_ns = 0;
      subfolders.push_back(name);
    } else if (S_ISLNK(info.st_mode)) {
      item.type = 'l';
      item.checksum = LinkChecksum(fd, name.c_str());
    } else if (S_ISREG(info.st_mode)) {
      item.type = 'f';
      item.checksum = FileChecksum(fd, name.c_str());
    } else {
      item.type = 'o';
    }
    out.push_back(std::move(item));
  }
  // Descend only after the listing is read, so that one descriptor per level
  // is open, not one per level and sibling.
  for (const std::string& name : subfolders) {
    const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (child >= 0) Walk(child, prefix + name + "/", out);
  }
  ::closedir(dir);
}

std::string TopLevelName(const std::string& path) { return path.substr(0, path.find('/')); }

// The items of a manifest grouped by their top-level entry.
std::map<std::string, Manifest> ByEntry(const Manifest& manifest) {
  std::map<std::string, Manifest> groups;
  for (const ManifestItem& item : manifest) groups[TopLevelName(item.path)].push_back(item);
  return groups;
}

std::string Describe(const ManifestItem& a, const ManifestItem& b) {
  std::ostringstream text;
  if (a.type != b.type) text << " type " << a.type << " -> " << b.type;
  if (a.size != b.size) text << " size " << a.size << " -> " << b.size;
  if (a.mode != b.mode) text << " mode " << std::oct << a.mode << " -> " << b.mode << std::dec;
  if (a.mtime_ns != b.mtime_ns) text << " mtime " << a.mtime_ns << " -> " << b.mtime_ns;
  if (a.checksum != b.checksum) text << " content differs";
  return text.str();
}

}  // namespace

void PrintTo(const ManifestItem& item, std::ostream* out) {
  *out << item.type << ' ' << item.path << " (" << item.size << " bytes, mode " << std::oct
       << item.mode << std::dec << ", checksum " << item.checksum << ')';
}

Manifest TakeManifest(const std::string& root) {
  Manifest manifest;
  const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) Walk(fd, "", manifest);
  std::sort(manifest.begin(), manifest.end(),
            [](const ManifestItem& a, const ManifestItem& b) { return a.path < b.path; });
  return manifest;
}

std::string DiffManifests(const Manifest& before, const Manifest& after, std::size_t limit) {
  std::ostringstream text;
  std::size_t lines = 0;
  std::size_t more = 0;
  auto add = [&](const std::string& line) {
    if (lines++ < limit) {
      text << line << '\n';
    } else {
      ++more;
    }
  };
  auto a = before.begin();
  auto b = after.begin();
  while (a != before.end() || b != after.end()) {
    if (b == after.end() || (a != before.end() && a->path < b->path)) {
      add("missing: " + a->path);
      ++a;
    } else if (a == before.end() || b->path < a->path) {
      add("added: " + b->path);
      ++b;
    } else {
      if (!(*a == *b)) add("changed: " + a->path + " (" + Describe(*a, *b).substr(1) + ")");
      ++a;
      ++b;
    }
  }
  if (more > 0) text << "... and " << more << " more\n";
  return text.str();
}

ManifestTotals Totals(const Manifest& manifest) {
  ManifestTotals totals;
  for (const ManifestItem& item : manifest) {
    if (item.type != 'f') continue;
    ++totals.files;
    totals.bytes += item.size;
  }
  return totals;
}

std::string EveryEntryInOnePlace(const Manifest& before,
                                 const std::vector<std::string>& locations) {
  std::vector<std::map<std::string, Manifest>> found;
  for (const std::string& location : locations) found.push_back(ByEntry(TakeManifest(location)));
  std::ostringstream text;
  for (const auto& [name, items] : ByEntry(before)) {
    int whole = 0;
    std::string damaged;
    for (std::size_t i = 0; i < locations.size(); ++i) {
      const auto it = found[i].find(name);
      if (it == found[i].end()) continue;
      if (it->second == items) {
        ++whole;
      } else {
        damaged += " differs in " + locations[i] + ":\n" + DiffManifests(items, it->second, 5);
      }
    }
    if (whole == 1 && damaged.empty()) continue;
    text << name << ": found whole " << whole << " times" << damaged << '\n';
  }
  return text.str();
}

}  // namespace morvick::testing
