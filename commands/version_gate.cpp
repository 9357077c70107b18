#include "commands/version_gate.h"

#include "platform/real_path.h"

#include <cctype>

namespace morvick {

std::optional<std::string> VersionGateRefusal(const PlatformVersion& version) {
  if (version.major > 4 || (version.major == 4 && version.minor > 0)) return std::nullopt;
  return "Windows98以上,Windows2000以上で動作します。 Win32Platform=" +
         std::to_string(version.platform_id) + "/Version" + std::to_string(version.major) + "." +
         std::to_string(version.minor);
}

std::string DefaultApplicationTitle(std::string_view executable_path) {
  std::string_view name = executable_path;
  for (std::size_t i = name.size(); i > 0; --i) {
    if (platform::IsPathSeparator(name[i - 1])) {
      name.remove_prefix(i);
      break;
    }
  }
  if (const auto dot = name.find('.'); dot != std::string_view::npos) name = name.substr(0, dot);
  std::string title(name);
  // Byte-wise, ASCII letters only: a UTF-8 sequence is left as it is.
  for (std::size_t i = 1; i < title.size(); ++i) {
    const auto byte = static_cast<unsigned char>(title[i]);
    if (byte < 0x80) title[i] = static_cast<char>(std::tolower(byte));
  }
  return title;
}

}  // namespace morvick
