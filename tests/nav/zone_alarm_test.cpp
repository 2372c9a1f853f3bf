#include "nav/zone_alarm.h"

#include <GeographicLib/Geodesic.hpp>
#include <gtest/gtest.h>

#include "nav/alarm_areas.h"
#include "store/database.h"
#include "store/schema.h"

#include <QTemporaryDir>

namespace tavrik {
namespace {

LatLon Direct(LatLon from, double bearingDeg, double nm) {
  LatLon to;
  GeographicLib::Geodesic::WGS84().Direct(from.lat, from.lon, bearingDeg, nm * 1852.0, to.lat, to.lon);
  return to;
}

// The proximity circle against WGS-84 geodesics: 3 % inside or outside the radius
// must be judged right in every direction and latitude.
TEST(ZoneAlarm, ProximityCircleMatchesGeodesicDistance) {
  for (double lat : {0.0, 46.4, 60.0, -33.9}) {
    for (double bearing = 0; bearing < 360; bearing += 30) {
      const ProximityWaypoint wp{1, "buoy", {lat, 6.5}, 0.25};
      SCOPED_TRACE(testing::Message() << lat << " " << bearing);
      EXPECT_TRUE(InsideProximity(wp, Direct(wp.pos, bearing, 0.97 * wp.radiusNm)));
      EXPECT_FALSE(InsideProximity(wp, Direct(wp.pos, bearing, 1.03 * wp.radiusNm)));
    }
  }
  EXPECT_FALSE(InsideProximity({1, "no radius", {46, 6}, 0}, {46, 6}));
}

TEST(ZoneAlarm, ZonePolygons) {
  // An L of the lake off Ouchy: the notch (north-east) is outside.
  const AlarmZone ell{1, "L", {{46.50, 6.60}, {46.50, 6.64}, {46.51, 6.64}, {46.51, 6.62}, {46.52, 6.62}, {46.52, 6.60}}};
  // Across the date line.
  const AlarmZone fiji{2, "Fiji", {{-16.9, 179.9}, {-16.9, -179.9}, {-17.1, -179.9}, {-17.1, 179.9}}};
  struct Case {
    const AlarmZone* zone;
    LatLon p;
    bool inside;
  } cases[] = {
      {&ell, {46.505, 6.63}, true},   // foot of the L
      {&ell, {46.515, 6.61}, true},   // stem
      {&ell, {46.515, 6.63}, false},  // the notch
      {&ell, {46.50, 6.62}, true},    // on the southern border
      {&ell, {46.51, 6.63}, true},    // on the notch's border
      {&ell, {46.53, 6.61}, false},
      {&fiji, {-17.0, 179.95}, true},
      {&fiji, {-17.0, -179.95}, true},
      {&fiji, {-17.0, 179.8}, false},
      {&fiji, {-17.0, 0.0}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.zone->name.toStdString() << " " << c.p.lat << " " << c.p.lon);
    EXPECT_EQ(InsideZone(*c.zone, c.p), c.inside);
  }
  EXPECT_FALSE(InsideZone({3, "line", {{46, 6}, {46.1, 6.1}}}, {46.05, 6.05}));
}

// Armed -> inside (alarm) -> acknowledged (silent while inside) -> outside (armed)
// -> inside again (alarm); with no chart at all, only the areas themselves.
TEST(ZoneAlarm, AcknowledgementSilencesUntilTheVesselHasLeft) {
  ZoneAlarm z;
  z.setAreas({{{7, "Harbour", {{46.50, 6.60}, {46.50, 6.62}, {46.51, 6.62}, {46.51, 6.60}}}},
              {{9, "Rock", {46.40, 6.50}, 0.1}}});
  const LatLon harbour{46.505, 6.61}, rock{46.4005, 6.5005}, open{46.45, 6.55};
  struct Step {
    const char* what;
    LatLon at;
    bool acknowledge;
    bool alarm;
  } steps[] = {
      {"open water", open, false, false},   {"enters harbour", harbour, false, true},
      {"still inside", harbour, false, true}, {"acknowledged", harbour, true, false},
      {"inside, silent", harbour, false, false}, {"leaves", open, false, false},
      {"re-enters", harbour, false, true},   {"acknowledged", harbour, true, false},
      {"straight to the rock", rock, false, false},  // never outside in between
      {"out", open, false, false},            {"rock", rock, false, true},
  };
  for (const Step& s : steps) {
    z.checkzone(s.at.lat, s.at.lon);
    if (s.acknowledge) z.acknowledge();
    EXPECT_EQ(z.alarmShowing(), s.alarm) << s.what;
  }
  EXPECT_EQ(z.insideName(), "Rock");
  // A region the chart drew counts even where the areas have none.
  z.drawnRegionContains = [](double lat, double) { return lat > 47; };
  z.checkzone(47.5, 6.0);
  EXPECT_TRUE(z.alarmShowing());
}

// Zones and proximity waypoints from a real database file, points in their order.
TEST(ZoneAlarm, AreasFromTheDatabase) {
  QTemporaryDir dir;
  Database db;
  ASSERT_TRUE(createMainDatabase(db, dir.filePath("gps.db"), QDateTime(QDate(2026, 6, 1), QTime(12, 0))).ok());
  ASSERT_TRUE(db.execute("INSERT INTO Zones (Name) VALUES ('Harbour')").ok());
  const long zone = db.openRecordset("SELECT * FROM Zones")->integer("zone");
  // Inserted out of order: the corners follow [Point].
  for (auto [point, lat, lon] : {std::tuple{3, 46.51, 6.62}, {1, 46.50, 6.60}, {2, 46.50, 6.62}, {4, 46.51, 6.60}})
    ASSERT_TRUE(db.execute(QString("INSERT INTO [Zone points] (Zone, Point, latitude, longitude, Datum) VALUES (%1, %2, %3, %4, 0)")
                               .arg(zone).arg(point).arg(lat).arg(lon)).ok());
  ASSERT_TRUE(db.execute("INSERT INTO Waypoints (description, latitude, longitude, proximity, datum) VALUES ('Rock', 46.4, 6.5, 0.1, 0)").ok());
  ASSERT_TRUE(db.execute("INSERT INTO Waypoints (description, latitude, longitude, proximity, datum) VALUES ('Quay', 46.3, 6.4, 0, 0)").ok());
  const AlarmAreas a = LoadAlarmAreas(db);
  ASSERT_EQ(a.zones.size(), 1u);
  ASSERT_EQ(a.zones[0].corners.size(), 4u);
  EXPECT_DOUBLE_EQ(a.zones[0].corners[1].lon, 6.62);
  EXPECT_DOUBLE_EQ(a.zones[0].corners[2].lat, 46.51);
  ASSERT_EQ(a.waypoints.size(), 1u);
  EXPECT_EQ(a.waypoints[0].name, "Rock");
  EXPECT_DOUBLE_EQ(a.waypoints[0].radiusNm, 0.1);
}

}  // namespace
}  // namespace tavrik
