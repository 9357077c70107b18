#include "commands/volume_items.h"

#include "common/error.h"
#include "platform/file_mover.h"
#include "platform/folders.h"
#include "platform/real_path.h"

#include <cstdlib>
#include <cstring>

namespace morvick {
namespace {

[[noreturn]] void RaiseMissing(const std::string& path, int errno_value) {
  throw Error("'" + path + "' をドラッグできません: " + std::strerror(errno_value));
}

constexpr std::int64_t kDragDistance = 5;

}  // namespace

bool FarEnoughToDrag(std::int64_t x, std::int64_t y, std::int64_t origin_x, std::int64_t origin_y) {
  return std::llabs(x - origin_x) >= kDragDistance || std::llabs(y - origin_y) >= kDragDistance;
}

std::vector<std::string> VolumeEntryNames(const EntryList& entries, std::int32_t volume) {
  std::vector<std::string> names;
  for (const TSplitEntry& entry : entries) {
    if (entry.Volume == volume) names.emplace_back(entry.Name());
  }
  return names;
}

std::vector<std::string> VolumeItemPaths(const std::string& folder,
                                         const std::vector<std::string>& names) {
  if (names.empty()) return {};
  if (const int error = platform::ProbeFolder(folder)) RaiseMissing(folder, error);
  const std::string prefix = !folder.empty() && platform::IsPathSeparator(folder.back())
                                 ? folder
                                 : folder + platform::kPathSeparator;
  std::vector<std::string> paths;
  paths.reserve(names.size());
  platform::FileMover& mover = platform::RealFileMover();
  for (const std::string& name : names) {
    std::string path = prefix + name;
    if (const int error = mover.Probe(path)) RaiseMissing(path, error);
    paths.push_back(std::move(path));
  }
  return paths;
}

}  // namespace morvick
