#include "test_forms.h"

#include "support/as_nobody.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace morvick::testing {

std::string RunUnprivileged(const std::string& shared_folder,
                            const std::function<std::string()>& body) {
  if (::geteuid() != 0) return body();

  // The test's own folder lets the user pass through; a folder above it that
  // does not (TMPDIR below /root, say) is not changed: the case is skipped.
  struct stat own {};
  if (::stat(shared_folder.c_str(), &own) == 0) ::chmod(shared_folder.c_str(), own.st_mode | 0111);
  for (std::filesystem::path p = std::filesystem::path(shared_folder).parent_path();
       p.has_relative_path(); p = p.parent_path()) {
    struct stat info {};
    if (::stat(p.c_str(), &info) != 0 || (info.st_mode & 0001) == 0) {
      std::fprintf(stderr, "%s cannot be entered by an ordinary user\n", p.c_str());
      return "skip";
    }
  }
  return RunInChildAsNobody(body);
}

}  // namespace morvick::testing
