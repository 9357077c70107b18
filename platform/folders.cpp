#include "platform/folders.h"

#include "common/error.h"
#include "platform/errno_map.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace morvick::platform {
namespace {

// The device of the path or, when it does not exist, of its nearest existing
// ancestor. False only when not even the root (or the working folder) can be read.
bool DeviceOfNearest(std::string path, dev_t& device) {
  for (;;) {
    struct stat info;
    if (::stat(path.empty() ? "." : path.c_str(), &info) == 0) {
      device = info.st_dev;
      return true;
    }
    if (path.empty() || path == "/") return false;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
      path.clear();
    } else {
      path.resize(slash == 0 ? 1 : slash);
    }
  }
}

}  // namespace

bool IsExistingFolder(const std::string& path) {
  struct stat info;
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int ProbeFolder(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return errno;
  return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

void RemoveFolder(const std::string& path) {
  if (::rmdir(path.c_str()) != 0) throw SystemInOutError(errno);
}

bool IsSameDirectory(const std::string& a, const std::string& b) {
  struct stat first;
  struct stat second;
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         S_ISDIR(first.st_mode) && S_ISDIR(second.st_mode) && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

bool IsSameFileSystem(const std::string& input, const std::string& output) {
  dev_t input_device;
  dev_t output_device;
  return DeviceOfNearest(input, input_device) && DeviceOfNearest(output, output_device) &&
         input_device == output_device;
}

}  // namespace morvick::platform
