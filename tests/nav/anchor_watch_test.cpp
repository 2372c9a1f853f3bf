#include "nav/anchor_watch.h"

#include <GeographicLib/Rhumb.hpp>
#include <gtest/gtest.h>

#include "core/messages.h"

namespace tavrik {
namespace {

struct Recording final : AlarmWindows {
  void showWithoutActivating(const QString& w) override { shown.push_back(w); }
  void flashTitle() override {}
  std::vector<QString> shown;
};

struct Watch {
  explicit Watch(const char* units = "Nm") { settings.units = Units::fromSetting(units); }
  FakeClock clock;
  RecordingSoundPlayer sound;
  Recording windows;
  RecordingPrompter prompter;
  NavigationState nav;
  AppSettings settings;
  AlarmSignal alarms{clock, sound, windows, [] { return true; }};
  AnchorWatch watch{nav, settings, alarms};
};

TEST(AnchorWatch, RangeEntryInTheUsersUnit) {
  struct Case {
    const char* units;
    const char* stored;   // "Anchor"/"Watch" before
    const char* shown;    // range box on opening
    const char* entered;
    char separator;       // the system's decimal separator
    const char* box;      // range box after OK
    const char* storedAfter;
    bool started;
  } cases[] = {
      {"Km", "0.07", "0.130", "0.2", '.', "0.200", "0.108", true},
      {"Nm", "0.07", "0.070", "0.15", '.', "0.150", "0.150", true},
      {"Nm", "0.07", "0.070", "0,15", ',', "0.150", "0.150", true},
      {"Nm", "0.07", "0.070", "0.15", ',', "0.150", "0.150", true},
      {"M", "0.1", "0.115", "1", '.', "1.000", "0.869", true},
      {"Nm", "0.07", "0.070", "0", '.', "0.000", "0.07", false},
      {"Nm", "0.07", "0.070", "far", '.', "0.000", "0.07", false},
      {"Nm", "0.07", "0.070", "0,15", '.', "0.000", "0.07", false},
      {"Nm", "0.07", "0.070", "-0.1", '.', "-0.100", "0.07", false},
  };
  for (const Case& c : cases) {
    Watch w(c.units);
    w.settings.AnchorWatch = c.stored;
    SCOPED_TRACE(c.entered);
    EXPECT_EQ(w.watch.rangeText(), c.shown);
    EXPECT_EQ(w.watch.start(c.entered, w.prompter, QChar(c.separator)), c.box);
    EXPECT_EQ(w.settings.AnchorWatch, c.storedAfter);
    EXPECT_EQ(w.watch.watching(), c.started);
    EXPECT_EQ(w.prompter.lastText(), c.started ? QString() : MessageText(Msg::NoRange));
    EXPECT_EQ(w.prompter.entries().size(), c.started ? 0u : 1u);
  }
}

// The vessel due north and due east of the anchor, inside, exactly on and beyond the
// range; distances and bearings against GeographicLib's rhumb line.
TEST(AnchorWatch, AlarmOnlyBeyondTheRange) {
  struct Case {
    const char* units;
    const char* range;
    double bearing, nm;
    bool checked, alarm;
  } cases[] = {
      {"Nm", "0.100", 0, 0.099, true, false},  {"Nm", "0.100", 0, 0.100, true, false},
      {"Nm", "0.100", 0, 0.1015, true, true},  {"Nm", "0.100", 90, 0.100, true, false},
      {"Nm", "0.100", 90, 0.102, true, true},  {"Nm", "0.100", 90, 0.2, false, false},
      {"Km", "0.200", 180, 0.2 / 1.852, true, false}, {"Km", "0.200", 270, 0.203 / 1.852, true, true},
  };
  const GeographicLib::Rhumb rhumb(6366707.0194937074958, 0);  // the sphere of a nautical mile per minute
  for (const Case& c : cases) {
    Watch w(c.units);
    w.nav.Latitude = 46.4f;
    w.nav.Longitude = 6.5f;
    w.watch.dropAnchor();
    ASSERT_EQ(w.watch.start(c.range, w.prompter, QChar('.')), c.range);
    double lat, lon;
    rhumb.Direct(w.watch.anchorLat(), w.watch.anchorLon(), c.bearing, c.nm * 1852.0, lat, lon);
    w.nav.Latitude = static_cast<float>(lat);
    w.nav.Longitude = static_cast<float>(lon);
    const AnchorWatch::Reading r = w.watch.tick(c.checked);
    SCOPED_TRACE(testing::Message() << c.units << " " << c.bearing << " " << c.nm);
    EXPECT_NEAR(r.to.distanceNm, c.nm, 0.0005);
    EXPECT_NEAR(std::fmod(r.to.bearingT + 180, 360), c.bearing, 0.5);
    EXPECT_EQ(r.alarm, c.alarm);
    EXPECT_EQ(w.alarms.isSignalling("gpswatch"), c.alarm);
    EXPECT_EQ(w.windows.shown.size(), c.alarm ? 1u : 0u);
    if (c.alarm) {
      // Swinging back inside ends the alarm by itself.
      w.nav.Latitude = 46.4f, w.nav.Longitude = 6.5f;
      EXPECT_FALSE(w.watch.tick(true).alarm);
      EXPECT_FALSE(w.alarms.anySignalling());
    }
  }
}

TEST(ManOverboard, SteeringBackToThePosition) {
  AppSettings settings;
  NavigationState nav;
  nav.Latitude = 46.4f;
  nav.Longitude = 6.5f;
  ManOverboard mob;
  mob.start(nav);
  EXPECT_TRUE(mob.active());
  struct Case {
    double northNm;  // vessel this far north of the MOB position
    float sog, cog;
    const char* distance;
    const char* vmg;
    const char* ete;
    double eteHours;
  } cases[] = {
      {0.5, 6, 180, "0.5 Nm", "6.0 Kts", "0:05 h", 0.08},
      {3.0, 1, 180, "3.0 Nm", "1.0 Kts", "3:00 h", 3.0},
      {0.5, 0, 180, "0.5 Nm", "0.0 Kts", "--:--", -1},
      {0.5, 6, 0, "0.5 Nm", "-6.0 Kts", "--:--", -1},     // sailing away
      {0.5, 6, 270, "0.5 Nm", "0.0 Kts", "--:--", -1},    // across
      {0.2495, 1, 180, "0.2 Nm", "1.0 Kts", "0:15 h", 0.24},
  };
  for (const Case& c : cases) {
    nav.Latitude = static_cast<float>(46.4 + c.northNm / 60);
    nav.SpeedOverGround = c.sog;
    nav.CourseOverGround = c.cog;
    const ManOverboard::Reading r = mob.tick(nav, settings);
    SCOPED_TRACE(c.northNm);
    EXPECT_EQ(r.to.bearingTText, "180.0° T");
    EXPECT_EQ(r.distanceText, c.distance);
    EXPECT_EQ(r.vmgText, c.vmg);
    EXPECT_EQ(r.eteText, c.ete);
    EXPECT_NEAR(r.eteHours, c.eteHours, 0.011);
  }
  mob.clear();
  EXPECT_FALSE(mob.active());
}

}  // namespace
}  // namespace tavrik
