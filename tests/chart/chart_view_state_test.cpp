#include "chart/chart_view_state.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "chart/chart_projection.h"

namespace tavrik {
namespace {

TEST(ChartReadout, PositionDistanceBearingAndTimeToGo) {
  Units nm;
  Units km = Units::fromSetting("Km");
  struct Row {
    const char* legend;
    double lat, lon;
    double speed;
    const Units* units;
    const char* expected;
  };
  // From 52 N 4 E; one minute of latitude is one nautical mile.
  const Row rows[] = {
      {"6 miles north at 6 knots: an hour to go", 52.1, 4.0, 6, &nm, "6.0Nm / 0.0\u00b0 / 1:00"},
      {"6 miles north at 4 knots: an hour and a half", 52.1, 4.0, 4, &nm, "6.0Nm / 0.0\u00b0 / 1:30"},
      {"not moving: no time to go", 52.1, 4.0, 0, &nm, "6.0Nm / 0.0\u00b0"},
      {"in kilometres", 52.1, 4.0, 0, &km, "11.1Km / 0.0\u00b0"},
      {"south", 51.9, 4.0, 0, &nm, "6.0Nm / 180.0\u00b0"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    EXPECT_EQ(ChartDirectionText(52.0, 4.0, r.lat, r.lon, r.speed, *r.units), QString::fromUtf8(r.expected));
  }
  EXPECT_EQ(ChartPositionText(52.5, -4.25), QString::fromUtf8("52°30.000'N  004°15.000'W"));
  EXPECT_EQ(ChartPositionText(-0.99999999, 179.999999999), QString::fromUtf8("01°00.000'S  180°00.000'E"));
  EXPECT_TRUE(ChartPositionText(std::nan(""), 4).isEmpty());
  EXPECT_EQ(ChartCaption(" Demo  ", 1.5, 12.345, nm), "Demo  150%  12.35 Nm");
  EXPECT_EQ(ChartCaption("Demo", 1, std::nan(""), nm), "Demo  100%");
}

struct CycleFixture {
  QTemporaryDir dir;
  FakeClock clock;
  TrackFile file;
  TrackLine line;
  ChartFixCycle cycle{clock, file, line};
  NavigationState nav;
  AppSettings settings;
  MercatorSheet sheet{53.0, 4.0, 20.0};
  CycleFixture() {
    file.open(dir.filePath("$GPS.$$$"));
    settings.ChartAccuracy = "100";
  }
  ChartFixCycle::Result at(double lat, double lon) {
    nav.Latitude = static_cast<float>(lat);
    nav.Longitude = static_cast<float>(lon);
    nav.FixTime = clock.now().time();
    nav.TimeStale = false;
    clock.advanceSecs(1);
    return cycle.tick(nav, settings, &sheet, false);
  }
};

TEST(ChartFixCycle, TrackElementsOnlyBeyondTheAccuracyAndRecordsEverySecond) {
  CycleFixture f;
  // 20 px per minute of longitude: 0.05 degrees east is 60 px, 0.1 is 120 px.
  EXPECT_FALSE(f.at(52.5, 4.0).newElement.has_value());
  EXPECT_FALSE(f.at(52.5, 4.05).newElement.has_value());
  const auto r = f.at(52.5, 4.1);
  ASSERT_TRUE(r.newElement.has_value());
  EXPECT_NEAR(r.newElement->length(), 120, 0.01);
  EXPECT_EQ(f.file.count(), 3);
  // Track display off: recorded, not drawn.
  f.settings.ChartTrack = false;
  EXPECT_FALSE(f.at(52.5, 4.3).newElement.has_value());
  EXPECT_EQ(f.file.count(), 4);
  // Recording off: neither.
  f.settings.ChartTracking = false;
  const auto off = f.at(52.5, 4.5);
  EXPECT_FALSE(off.wroteRecord);
  EXPECT_EQ(f.file.count(), 4);
}

TEST(ChartFixCycle, OneBreakPerOutageAndPositioningSwitchesTheKeepInViewTimer) {
  CycleFixture f;
  f.settings.system.positioning = true;
  const auto r = f.at(52.5, 4.0);
  EXPECT_TRUE(r.keepInViewTimer);
  EXPECT_FALSE(r.folderSearch);  // no folder
  f.nav.TimeStale = true;
  EXPECT_TRUE(f.cycle.tick(f.nav, f.settings, &f.sheet, true).wroteBreak);
  EXPECT_FALSE(f.cycle.tick(f.nav, f.settings, &f.sheet, true).wroteBreak);
  EXPECT_EQ(f.file.count(), 2);
  f.nav.TimeStale = false;
  const auto back = f.cycle.tick(f.nav, f.settings, &f.sheet, true);
  EXPECT_TRUE(back.fix);
  EXPECT_TRUE(back.folderSearch);
  // The first point after the break starts a new line: no element across the gap.
  EXPECT_FALSE(back.newElement.has_value());
  // Never had a fix: no break at all.
  CycleFixture fresh;
  fresh.nav.TimeStale = true;
  EXPECT_FALSE(fresh.cycle.tick(fresh.nav, fresh.settings, &fresh.sheet, false).wroteBreak);
  EXPECT_EQ(fresh.file.count(), 0);
}

}  // namespace
}  // namespace tavrik
