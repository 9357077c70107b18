// The window's rules that need no toolkit: size stepping, row colours, the
// throttle of the event pump and the distance that starts a drag.

#include "commands/pump_throttle.h"
#include "commands/row_colours.h"
#include "commands/split_size_step.h"
#include "commands/volume_items.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace morvick {
namespace {

TEST(VolumeDrag, StartsFivePixelsFromThePressInXOrY) {
  struct Case {
    int x, y;
    bool drags;
  };
  const Case cases[] = {{0, 0, false}, {4, 4, false}, {-4, -4, false}, {5, 0, true},
                        {0, 5, true},  {-5, 0, true}, {4, -5, true},   {-4, 3, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(FarEnoughToDrag(100 + c.x, 50 + c.y, 100, 50), c.drags) << c.x << "," << c.y;
  }
}

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
    EXPECT_EQ(StepSplitSize(c.text, c.up), c.expected) << c.text << (c.up ? " up" : " down");
  }
}

TEST(RowColours, EntryListMarksOddSkyBlueAndUnassignedRed) {
  EXPECT_EQ(EntryRowColour("1"), RowColour::SkyBlue);
  EXPECT_EQ(EntryRowColour("2"), RowColour::Normal);
  EXPECT_EQ(EntryRowColour("0"), RowColour::Red);
  EXPECT_EQ(EntryRowColour("-3"), RowColour::SkyBlue);  // lowest bit set
  EXPECT_EQ(EntryRowColour("$B"), RowColour::SkyBlue);
  // An unreadable caption paints normally rather than failing every repaint.
  EXPECT_EQ(EntryRowColour("x y"), RowColour::Normal);
  EXPECT_EQ(EntryRowColour(""), RowColour::Normal);
}

TEST(RowColours, VolumeListMarksTheKeptBackLastVolumeYellow) {
  // Four rows, last volume kept back: sky blue, normal, sky blue, yellow.
  const RowColour four[] = {RowColour::SkyBlue, RowColour::Normal, RowColour::SkyBlue,
                            RowColour::Yellow};
  for (int n = 1; n <= 4; ++n) {
    EXPECT_EQ(VolumeRowColour(std::to_string(n), 4, true), four[n - 1]) << n;
  }
  // Three rows: the odd last row turns yellow too.
  EXPECT_EQ(VolumeRowColour("3", 3, true), RowColour::Yellow);
  EXPECT_EQ(VolumeRowColour("3", 3, false), RowColour::SkyBlue);
  EXPECT_EQ(VolumeRowColour("4", 4, false), RowColour::Normal);
  EXPECT_EQ(VolumeRowColour("bad", 4, true), RowColour::Normal);
}

TEST(RowColours, ColourValues) {
  const Rgb sky = RgbOf(RowColour::SkyBlue);
  EXPECT_EQ(sky.red * 65536 + sky.green * 256 + sky.blue, 0xA6CAF0);
  const Rgb red = RgbOf(RowColour::Red);
  EXPECT_EQ(red.red * 65536 + red.green * 256 + red.blue, 0xFF0000);
  const Rgb yellow = RgbOf(RowColour::Yellow);
  EXPECT_EQ(yellow.red * 65536 + yellow.green * 256 + yellow.blue, 0xFFFF00);
}

PumpThrottle::Clock::time_point fake_now;
PumpThrottle::Clock::time_point FakeNow() { return fake_now; }

TEST(PumpThrottle, PumpsOncePerIntervalCountedFromTheEndOfTheLastPump) {
  using std::chrono::milliseconds;
  fake_now = {};
  PumpThrottle throttle(milliseconds(5), FakeNow);
  int pumps = 0;
  const auto pump = [&pumps] { ++pumps; };
  throttle.Run(pump);
  fake_now += milliseconds(4);
  throttle.Run(pump);
  EXPECT_EQ(pumps, 0);
  fake_now += milliseconds(1);
  throttle.Run(pump);
  throttle.Run(pump);
  EXPECT_EQ(pumps, 1);

  // A pump that takes long does not make the next one due at once.
  fake_now += milliseconds(5);
  throttle.Run([&pumps] {
    ++pumps;
    fake_now += milliseconds(20);
  });
  fake_now += milliseconds(4);
  throttle.Run(pump);
  EXPECT_EQ(pumps, 2);
  fake_now += milliseconds(1);
  throttle.Run(pump);
  EXPECT_EQ(pumps, 3);

  throttle.SetInterval(milliseconds(0));
  for (int i = 0; i < 3; ++i) throttle.Run(pump);
  EXPECT_EQ(pumps, 6);
}

}  // namespace
}  // namespace morvick
