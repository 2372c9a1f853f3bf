// The logbook's arithmetic and selections: Beaufort bands, the wind calculator against
// a two-argument arctangent oracle, trip values, graph sizes and clamping, the graph
// setup's refusals, the chooser's day range and types, CSV export.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimeZone>
#include <cmath>

#include "core/messages.h"
#include "log/graph_history.h"
#include "log/log_query.h"
#include "log/log_rows.h"
#include "log/logbook.h"
#include "log/trip.h"
#include "log/wind.h"
#include "store/schema.h"
#include "store/system_row.h"

namespace tavrik {
namespace {

TEST(Beaufort, BandEdges) {
  const struct {
    float knots;
    int force;
  } cases[] = {{0, 0},      {0.5f, 0}, {0.99999f, 0}, {1, 1},       {3.99999f, 1}, {3.999995f, 1}, {4, 2},
               {10.99f, 3}, {11, 4},   {33.9f, 7},    {34, 8},      {55.99999f, 10}, {56, 11}, {63.99999f, 11},
               {64, 12},    {120, 12}};
  for (const auto& c : cases) EXPECT_EQ(Beaufort(c.knots), c.force) << c.knots;
}

// The oracle: plain vector sums in double precision with atan2. The components use
// the program's 5-decimal sines, so directions agree within 0.01 degree.
WindVector oracle(double heading, double boat, double dir, double speed, double boatSign) {
  const double rad = M_PI / 180;
  const double x = speed * std::cos(dir * rad) + boatSign * boat * std::cos(heading * rad);
  const double y = speed * std::sin(dir * rad) + boatSign * boat * std::sin(heading * rad);
  double d = std::atan2(y, x) / rad;
  if (d < 0) d += 360;
  return {static_cast<float>(d), static_cast<float>(std::hypot(x, y))};
}

TEST(WindCalculator, AgreesWithTwoArgumentArctangentInEveryQuadrant) {
  const struct {
    const char* legend;
    float heading, boat, dir, speed;
  } cases[] = {
      {"boat speed 0: apparent is true", 45, 0, 200, 12},
      {"no true wind: from ahead at boat speed", 90, 6, 0, 0},
      {"wind dominates, boat heading west", 270, 3, 30, 20},   // the quadrant rule would add 180 here
      {"wind dominates, boat heading south-west", 225, 2, 80, 15},
      {"beam reach", 0, 6, 90, 10},
      {"x exactly 0", 0, 5, 180, 5},
      {"running", 180, 7, 10, 14},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    const WindVector a = apparentFromTrue(c.heading, c.boat, {c.dir, c.speed});
    const WindVector ea = oracle(c.heading, c.boat, c.dir, c.speed, +1);
    EXPECT_NEAR(a.speedKn, ea.speedKn, 1e-3);
    if (ea.speedKn > 1e-3) {
      EXPECT_NEAR(std::remainder(a.directionDeg - ea.directionDeg, 360.0), 0, 0.01);
    }
    // And back: true from the apparent wind gives the true wind again.
    const WindVector t = trueFromApparent(c.heading, c.boat, a);
    EXPECT_NEAR(t.speedKn, c.speed, 1e-3);
    if (c.speed > 0) {
      EXPECT_NEAR(std::remainder(t.directionDeg - c.dir, 360.0), 0, 0.01);
    }
  }
  const WindVector ahead = apparentFromTrue(90, 6, {0, 0});
  EXPECT_FLOAT_EQ(ahead.speedKn, 6);
  EXPECT_NEAR(ahead.directionDeg, 90, 1e-4);
}

TEST(WindDisplay, Texts) {
  const WindDisplay d = windDisplay({350, 16.6f}, 30, 5, Units::fromSetting("Km"));
  EXPECT_EQ(d.force, "4 Bf");
  EXPECT_EQ(d.speed, "17");
  EXPECT_EQ(d.alongBoat, "7.1 Km/h");  // cos(40) x 5 kn x 1.852
  EXPECT_EQ(d.angle, "40°");
  std::array<QString, 16> boxes;
  boxes.fill("1.5°");
  boxes[7] = "abc";
  std::array<float, 16> table{};
  EXPECT_EQ(checkDeviationEntries(boxes, &table), -1);
  EXPECT_EQ(table[7], 0.0f);  // non-numeric reads 0
  EXPECT_EQ(table[0], 1.5f);
  boxes[11] = "360";
  table.fill(9);
  EXPECT_EQ(checkDeviationEntries(boxes, &table), 11);  // refused: focus goes there
  EXPECT_EQ(table[0], 9.0f);                            // nothing stored
  boxes[11] = "-360";
  EXPECT_EQ(checkDeviationEntries(boxes, &table), -1);
}

TEST(Trip, ElapsedTimeDistanceAndSpeeds) {
  NavigationState nav;
  const QDateTime start(QDate(2026, 6, 1), QTime(8, 0));
  EXPECT_TRUE(tripValues(nav, start, {}).elapsed.isEmpty());  // no trip clock yet
  nav.TripStartTime = start;
  nav.TripStartLatitude = 52;
  nav.TripStartLongitude = 4;
  nav.Latitude = 52.1f;
  nav.Longitude = 4;
  nav.TripDistance = 6;
  TripValues t = tripValues(nav, start.addSecs(5405), {});
  EXPECT_EQ(t.elapsed, "1:30:05");
  EXPECT_EQ(t.averageSpeed, "4.0 Kts");
  EXPECT_EQ(t.distance, "6.00 Nm");
  EXPECT_EQ(t.madeGood, "6.00 Nm");
  EXPECT_EQ(t.courseMadeGood, "0°");
  EXPECT_EQ(t.vmg, "4.0 Kts");
  EXPECT_EQ(tripValues(nav, start, {}).vmg, "0 Kts");
  // Regression: 16-bit seconds wrapped after 9 h 6 min 7 s.
  t = tripValues(nav, start.addSecs(3 * 86400 + 61), {});
  EXPECT_EQ(t.elapsed, "72:01:01");
  resetTrip(nav);
  EXPECT_TRUE(tripValues(nav, start.addSecs(10), {}).elapsed.isEmpty());
  EXPECT_EQ(nav.TripDistance, 0);
}

TEST(GraphHistory, SizesClampingAndFilling) {
  EXPECT_EQ(graphPointCount(1, 24), 1440);
  EXPECT_EQ(graphPointCount(7, 1), 9);
  EXPECT_EQ(clampToAxis(150, 1, 100), 100);
  EXPECT_EQ(clampToAxis(-3, 1, 100), 1);
  AppSettings settings;
  settings.Graphs[0] = {0, 0, 0, 0, 2, 0, 30, 1};  // temperature: every 2 minutes over an hour
  settings.Graphs[2].max = 100;                     // depth
  GraphHistory history(settings);
  ASSERT_EQ(history.values(0).size(), 30u);
  NavigationState nav;
  nav.WaterTemperature = 14.5f;
  nav.DepthMetres = 150;
  history.minuteTick(nav);  // nothing received yet
  nav.received(Sentence::MTW) = 1;
  nav.received(Sentence::DBT) = 1;
  for (int m = 0; m < 4; ++m) history.minuteTick(nav);
  EXPECT_EQ(history.values(0).back(), 14.5f);
  EXPECT_EQ(history.values(0)[28], 14.5f);
  EXPECT_EQ(history.values(0)[27], 0.0f);  // two samples in four minutes
  EXPECT_EQ(history.values(1).back(), 0.0f);  // no MMB: the barograph stands still
  EXPECT_EQ(history.values(2).back(), 150.0f);
  EXPECT_EQ(history.drawnValues(2).back(), 100.0f);  // drawn at the maximum
  settings.Graphs[0].interval = 7;
  history.resize();
  ASSERT_EQ(history.values(0).size(), 9u);
  EXPECT_EQ(history.values(0).back(), 14.5f);  // the newest values kept
}

TEST(GraphSetup, RefusalsAndDefaults) {
  const struct {
    const char* legend;
    GraphSetupEntry entry;
    int message;
  } cases[] = {
      {"valid", {"5", "0", "40", "12"}, 0},
      {"non-numeric interval reads 1, period 24", {"x", "0", "40", ""}, 0},
      {"zero interval", {"0", "0", "40", "1"}, Msg::IntervalZero},
      {"negative period", {"1", "0", "40", "-2"}, Msg::PeriodeZero},
      {"minimum not below maximum", {"1", "40", "40", "1"}, Msg::MinimumLessMaximum},
      {"both non-numeric: 0 and 0", {"1", "a", "b", "1"}, Msg::MinimumLessMaximum},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    GraphSettings s;
    EXPECT_EQ(checkGraphSetup(c.entry, &s), c.message);
  }
  GraphSettings s;
  ASSERT_EQ(checkGraphSetup({"x", "0", "40", "abc"}, &s), 0);
  EXPECT_EQ(s.interval, 1);
  EXPECT_EQ(s.length, 24);
}

struct LogDb {
  LogDb() { EXPECT_TRUE(createMainDatabase(db, dir.filePath("gps.db"), QDateTime(QDate(2026, 6, 1), QTime(0, 0))).ok()); }
  void entry(const QString& type, const QDateTime& at, const QString& memo = {}) {
    LogSnapshot v;
    v.date = at;
    v.depthM = 7.5f;
    ASSERT_TRUE(writeLogRow(db, {type, {}, 0, 0, memo, false}, v).ok());
  }
  qint64 type(const QString& d) {
    return db.scalar("SELECT [Entry type] FROM [Log entry types] WHERE description = ?", {d}).toLongLong();
  }
  QTemporaryDir dir;
  Database db;
};

TEST(LogChooser, DayRangeTypesAndDeletion) {
  LogDb h;
  const QDate day(2026, 6, 2);
  h.entry("Watch", QDateTime(day.addDays(-1), QTime(23, 59, 59)));
  h.entry("Watch", QDateTime(day, QTime(0, 0)));
  h.entry("Watch", QDateTime(day, QTime(23, 59, 30)), "last of the day");
  h.entry("Engine", QDateTime(day, QTime(12, 0)));
  h.entry("GPS", QDateTime(day, QTime(12, 0)));
  h.entry("Watch", QDateTime(day.addDays(1), QTime(0, 0)));
  const QString date = day.toString("yyyy-MM-dd");
  const LogRange whole = readLogRange(date, "00:00", date, "23:59");
  ASSERT_TRUE(whole.valid());
  std::vector<LogRow> rows = readLogRows(h.db, logSelectionSql({h.type("Watch")}, whole));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].memo, "last of the day");  // the to-minute is taken whole
  EXPECT_EQ(rows[0].depthM, 7.5);
  EXPECT_EQ(readLogRows(h.db, logSelectionSql({h.type("Watch"), h.type("Engine")}, whole)).size(), 3u);

  EXPECT_FALSE(readLogRange(date, "12:00", date, "11:59").valid());  // end before start
  EXPECT_FALSE(readLogRange("31-31-2026", "00:00", date, "23:59").valid());
  EXPECT_FALSE(readLogRange(date, "25:00", date, "23:59").valid());

  const auto names = [&](ChooserKind kind, const char* mode) {
    QStringList out;
    for (const LogTypeItem& t : chooserTypes(h.db, kind, mode)) out << t.description;
    return out;
  };
  EXPECT_TRUE(names(ChooserKind::ShowOrPlot, "Show").contains("GPS"));
  EXPECT_FALSE(names(ChooserKind::ShowOrPlot, "Plot").contains("GPS"));
  EXPECT_FALSE(names(ChooserKind::Print, "").contains("Simul"));
  EXPECT_TRUE(names(ChooserKind::Print, "").contains("Watch"));
  EXPECT_TRUE(names(ChooserKind::Delete, "").contains("OLE"));

  ASSERT_TRUE(h.db.execute(logDeletionSql({h.type("Watch")}, whole)).ok());
  EXPECT_EQ(h.db.scalar("SELECT COUNT(*) FROM Log").toInt(), 4);  // only the day's Watch entries went
}

TEST(LogEntryTypes, AddRenameAndRefuse) {
  LogDb h;
  const QDateTime now(QDate(2026, 6, 1), QTime(9, 0));
  EXPECT_EQ(storeLogEntryType(h.db, {}, "Skipper's note", now), 0);
  EXPECT_EQ(storeLogEntryType(h.db, {}, "skipper's NOTE", now), Msg::LogEntryExists);
  EXPECT_EQ(storeLogEntryType(h.db, {}, "  ", now), Msg::NoDescriptionEntered);
  EXPECT_EQ(storeLogEntryType(h.db, "Skipper's note", "Skipper's Note", now), 0);  // case of its own name
  EXPECT_EQ(storeLogEntryType(h.db, "Skipper's Note", "GPS", now), Msg::LogEntryExists);
  EXPECT_EQ(h.db.scalar("SELECT COUNT(*) FROM [Log entry types] WHERE description = 'Skipper''s Note'").toInt(), 1);
}

TEST(LogSettings, IntervalRefusedUnlessAPositiveNumber) {
  LogDb h;
  AppSettings settings;
  for (const char* bad : {"", "  ", "ten", "0", "-5"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(storeLogSettings(h.db, settings, bad, true), Msg::NoLogInterval);
  }
  EXPECT_FALSE(settings.system.startLog);  // nothing stored
  EXPECT_EQ(storeLogSettings(h.db, settings, "600", true), 0);
  SystemSettings stored;
  ASSERT_TRUE(readSystemRow(h.db, stored).ok());
  EXPECT_EQ(stored.logInterval, 600);
  EXPECT_TRUE(stored.startLog);
  EXPECT_EQ(settings.system.logInterval, 600);
}

TEST(LogCsv, HeaderQuotingAndOffsets) {
  LogRow r;
  r.type = "Watch";
  r.date = QDateTime(QDate(2026, 6, 2), QTime(14, 5, 9), QTimeZone(7200));
  r.latitude = 52.25;
  r.longitude = -4.5;
  r.depthM = 7.5;
  r.memo = "Reefed, \"wind\" rising\nsecond line";
  r.position = "Ærø";
  const QByteArray csv = logCsv({r});
  const QList<QByteArray> lines = csv.split('\n');
  EXPECT_TRUE(lines[0].startsWith("type,time,latitude,longitude,sog_kn"));
  EXPECT_TRUE(lines[1].startsWith("Watch,2026-06-02T14:05:09+02:00,52.25,-4.5,0,"));
  EXPECT_TRUE(csv.contains(",7.5,"));
  EXPECT_TRUE(csv.contains("\"Reefed, \"\"wind\"\" rising\nsecond line\"\r\n"));
  EXPECT_TRUE(csv.contains(QString("Ærø").toUtf8()));
}

}  // namespace
}  // namespace tavrik
