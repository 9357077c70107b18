// The start-up rules that need no window: the version gate and the default title.

#include "commands/version_gate.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace morvick {
namespace {

TEST(VersionGate, RefusesOldVersionsWithTheirNumbers) {
  struct Case {
    PlatformVersion version;
    std::optional<std::string> refusal;
  };
  const std::string prefix = "Windows98以上,Windows2000以上で動作します。 Win32Platform=";
  const Case cases[] = {
      {{1, 4, 0}, prefix + "1/Version4.0"}, {{2, 4, 0}, prefix + "2/Version4.0"},
      {{0, 0, 0}, prefix + "0/Version0.0"}, {{2, 3, 51}, prefix + "2/Version3.51"},
      {{1, 4, 10}, std::nullopt},           {{2, 5, 0}, std::nullopt},
      {{2, 10, 0}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VersionGateRefusal(c.version), c.refusal)
        << c.version.major << "." << c.version.minor;
  }
}

TEST(VersionGate, DefaultTitleFromTheExecutableName) {
  EXPECT_EQ(DefaultApplicationTitle("/usr/bin/morvick"), "morvick");
  EXPECT_EQ(DefaultApplicationTitle("/opt/x.y/MORVICK.bin.old"), "Morvick");
  EXPECT_EQ(DefaultApplicationTitle("Tool"), "Tool");
  EXPECT_EQ(DefaultApplicationTitle(""), "");
#ifdef _WIN32
  EXPECT_EQ(DefaultApplicationTitle("C:\\Program Files\\Morvick\\MORVICK.EXE"), "Morvick");
#endif
}

}  // namespace
}  // namespace morvick
