// The window's rules that need no window: size stepping, row colours, the
// version gate and the default title.

#include "app/version_gate.h"
#include "ui/row_colours.h"
#include "ui/split_size_step.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace morvick {
namespace {

using ui::RowColour;

TEST(SplitSizeStep, StepsWrapsAndRefusesNonNumbers) {
  struct Case {
    const char* text;
    bool up;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"650", true, "651"},
      {"650", false, "649"},
      {"0", false, "-1"},
      {"9223372036854775807", true, "-9223372036854775808"},
      {"-9223372036854775808", false, "9223372036854775807"},
      {"$10", true, "17"},
      {"0x10", false, "15"},
      {"  7", true, "8"},
      {"", true, std::nullopt},
      {"1.5", true, std::nullopt},
      {"650MB", false, std::nullopt},
      {"650 ", true, std::nullopt},
      {"9223372036854775808", true, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ui::StepSplitSize(c.text, c.up), c.expected) << c.text << (c.up ? " up" : " down");
  }
}

TEST(RowColours, EntryListMarksOddSkyBlueAndUnassignedRed) {
  EXPECT_EQ(ui::EntryRowColour("1"), RowColour::SkyBlue);
  EXPECT_EQ(ui::EntryRowColour("2"), RowColour::Normal);
  EXPECT_EQ(ui::EntryRowColour("0"), RowColour::Red);
  EXPECT_EQ(ui::EntryRowColour("-3"), RowColour::SkyBlue);  // lowest bit set
  EXPECT_EQ(ui::EntryRowColour("$B"), RowColour::SkyBlue);
  // An unreadable caption paints normally rather than failing every repaint.
  EXPECT_EQ(ui::EntryRowColour("x y"), RowColour::Normal);
  EXPECT_EQ(ui::EntryRowColour(""), RowColour::Normal);
}

TEST(RowColours, VolumeListMarksTheKeptBackLastVolumeYellow) {
  // Four rows, last volume kept back: sky blue, normal, sky blue, yellow.
  const RowColour four[] = {RowColour::SkyBlue, RowColour::Normal, RowColour::SkyBlue,
                            RowColour::Yellow};
  for (int n = 1; n <= 4; ++n) {
    EXPECT_EQ(ui::VolumeRowColour(std::to_string(n), 4, true), four[n - 1]) << n;
  }
  // Three rows: the odd last row turns yellow too.
  EXPECT_EQ(ui::VolumeRowColour("3", 3, true), RowColour::Yellow);
  EXPECT_EQ(ui::VolumeRowColour("3", 3, false), RowColour::SkyBlue);
  EXPECT_EQ(ui::VolumeRowColour("4", 4, false), RowColour::Normal);
  EXPECT_EQ(ui::VolumeRowColour("bad", 4, true), RowColour::Normal);
}

TEST(RowColours, ColourValues) {
  const ui::Rgb sky = ui::RgbOf(RowColour::SkyBlue);
  EXPECT_EQ(sky.red * 65536 + sky.green * 256 + sky.blue, 0xA6CAF0);
  const ui::Rgb red = ui::RgbOf(RowColour::Red);
  EXPECT_EQ(red.red * 65536 + red.green * 256 + red.blue, 0xFF0000);
  const ui::Rgb yellow = ui::RgbOf(RowColour::Yellow);
  EXPECT_EQ(yellow.red * 65536 + yellow.green * 256 + yellow.blue, 0xFFFF00);
}

TEST(VersionGate, RefusesOldVersionsWithTheirNumbers) {
  struct Case {
    app::PlatformVersion version;
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
    EXPECT_EQ(app::VersionGateRefusal(c.version), c.refusal)
        << c.version.major << "." << c.version.minor;
  }
  EXPECT_FALSE(app::VersionGateRefusal(app::CurrentPlatformVersion()).has_value());
}

TEST(VersionGate, DefaultTitleFromTheExecutableName) {
  EXPECT_EQ(app::DefaultApplicationTitle("/usr/bin/morvick"), "morvick");
  EXPECT_EQ(app::DefaultApplicationTitle("/opt/x.y/MORVICK.bin.old"), "Morvick");
  EXPECT_EQ(app::DefaultApplicationTitle("Tool"), "Tool");
  EXPECT_EQ(app::DefaultApplicationTitle(""), "");
}

}  // namespace
}  // namespace morvick
