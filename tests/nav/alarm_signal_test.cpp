#include "nav/alarm_signal.h"

#include <gtest/gtest.h>

namespace tavrik {
namespace {

struct RecordingWindows final : AlarmWindows {
  void showWithoutActivating(const QString& window) override { shown.push_back(window); }
  void flashTitle() override { ++flashes; }
  std::vector<QString> shown;
  int flashes = 0;
};

struct Signalling {
  FakeClock clock;
  RecordingSoundPlayer sound;
  RecordingWindows windows;
  bool soundsOn = true;
  AlarmSignal alarms{clock, sound, windows, [this] { return soundsOn; },
                     [](const QString& name) { return "/sounds/" + name; }};
  void runMs(int ms, int stepMs = 100) {
    for (int t = 0; t < ms; t += stepMs) {
      clock.advanceMs(stepMs);
      alarms.tick();
    }
  }
};

// One second of an arrival alarm (200 ms flash, 5 s sound) and 11 s of it.
TEST(AlarmSignal, FlashesAndPlaysOrBeepsOnItsTimers) {
  struct Case {
    bool soundsOn;
    int runMs;
    int flashes, beeps, plays;
  } cases[] = {
      {true, 1000, 6, 0, 1},    // at once, then 200..1000 ms
      {true, 11000, 56, 0, 3},  // sound at 0, 5 s and 10 s
      {false, 1000, 6, 6, 0},   // every flash beeps, no file
      {false, 11000, 56, 56, 0},
  };
  for (const Case& c : cases) {
    Signalling s;
    s.soundsOn = c.soundsOn;
    s.alarms.SignalAlarm("gpsgoto", "APPROACH.WAV");
    s.runMs(c.runMs);
    SCOPED_TRACE(testing::Message() << c.soundsOn << " " << c.runMs);
    EXPECT_EQ(s.windows.shown, std::vector<QString>{"gpsgoto"});
    EXPECT_EQ(s.windows.flashes, c.flashes);
    EXPECT_EQ(s.sound.beeps, c.beeps);
    ASSERT_EQ(static_cast<int>(s.sound.played.size()), c.plays);
    for (const QString& f : s.sound.played) EXPECT_EQ(f, "/sounds/APPROACH.WAV");
  }
}

TEST(AlarmSignal, RaisingTwiceKeepsRhythmAndStopEndsOnlyThatAlarm) {
  Signalling s;
  s.alarms.SignalAlarm("gpswatch", "ANCHOR.WAV", {1000, 5000});
  s.alarms.SignalAlarm("gpsgoto", "", {200, 5000});  // empty name: flashes, plays nothing
  s.runMs(500);
  s.alarms.SignalAlarm("gpswatch", "ANCHOR.WAV", {1000, 5000});  // still running: no restart
  EXPECT_EQ(s.windows.shown, (std::vector<QString>{"gpswatch", "gpsgoto"}));
  EXPECT_EQ(s.sound.played, std::vector<QString>{"/sounds/ANCHOR.WAV"});
  s.alarms.stop("gpsgoto");
  const int flashes = s.windows.flashes;
  s.runMs(5000);
  EXPECT_EQ(s.windows.flashes - flashes, 5);  // the anchor's 1 s rhythm only
  EXPECT_EQ(s.sound.played.size(), 2u);
  s.alarms.stop("gpswatch");
  EXPECT_FALSE(s.alarms.anySignalling());
  s.runMs(10000);
  EXPECT_EQ(s.sound.played.size(), 2u);
  // A clock jump of an hour gives one flash, not a burst of catching up.
  s.alarms.SignalAlarm("gpswatch", "ANCHOR.WAV", {1000, 5000});
  const int before = s.windows.flashes;
  s.clock.advanceSecs(3600);
  s.alarms.tick();
  s.alarms.tick();
  EXPECT_EQ(s.windows.flashes - before, 1);
  EXPECT_EQ(s.sound.played.size(), 4u);
}

}  // namespace
}  // namespace tavrik
