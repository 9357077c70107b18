#include "settings/settings_paths.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace morvick {
namespace {

using testing::TempDir;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SettingsPaths, BesideTheExecutableOnlyWhenTheFileIsThere) {
  TempDir dir;
  const std::string bin = dir.CreateDir("bin");
  const std::string config = dir.Path("config/morvick");
  EXPECT_EQ(ResolveConfigFile("morvick.ini", bin, config), config + "/morvick.ini");
  dir.WriteFile("bin/morvick.ini", "");
  EXPECT_EQ(ResolveConfigFile("morvick.ini", bin, config), bin + "/morvick.ini");
  EXPECT_EQ(ResolveConfigFile("morvick.dat", bin, config), config + "/morvick.dat");
  EXPECT_EQ(ResolveConfigFile("morvick.dat", "", config), config + "/morvick.dat");
}

TEST(SettingsPaths, ConfigFolderFollowsXdgThenHome) {
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/x/config");
    EXPECT_EQ(ConfigFolder(), "/x/config/morvick");
  }
  ScopedEnv home("HOME", "/home/someone");
  for (const char* unusable : {"", "relative/path"}) {
    ScopedEnv xdg("XDG_CONFIG_HOME", unusable);
    EXPECT_EQ(ConfigFolder(), "/home/someone/.config/morvick");
  }
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(ConfigFolder(), "/home/someone/.config/morvick");
  EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/morvick/morvick.ini");
}

TEST(SettingsPaths, ShippedPresetsAreFoundFromTheBuildTree) {
  const std::string found = ShippedPresetFilePath();
  ASSERT_FALSE(found.empty());
  EXPECT_TRUE(found.ends_with("/presets.dat"));
}

}  // namespace
}  // namespace morvick
