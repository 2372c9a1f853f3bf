// Log recording through the App: the real instrument capture fed through the receive
// path with the log running on a fake clock, event entries, and a write that fails.

#include <gtest/gtest.h>

#include "test_data.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <map>

#include "app/app.h"
#include "core/messages.h"
#include "store/schema.h"

namespace tavrik {
namespace {

struct Home {
  Home() : app(AppPaths::inFolder(dir.path()), clock, prompter, sound) {
    app.loadSettings();
    EXPECT_TRUE(app.openDatabase({}));
    app.loadSystemSettings();
  }
  std::vector<QVariantList> rows(const char* sql) { return app.db.rows(QString::fromUtf8(sql)); }
  QTemporaryDir dir;
  FakeClock clock{QDateTime(QDate(2015, 4, 29), QTime(17, 6, 30))};
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  App app;
};

// The capture read independently of the parsers: the values each instrument last
// sent, per second of the capture (a second starts at each GLL).
struct CaptureSecond {
  QStringList lines;
  std::map<QString, double> value;  // "temperature", "windspeed", "waterspeed", "heading", "sog", "cog", "log"
};

std::vector<CaptureSecond> readCapture(const QString& path) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly));
  std::vector<CaptureSecond> seconds;
  std::map<QString, double> last;
  for (const QByteArray& raw : f.readAll().split('\n')) {
    const QString line = QString::fromLatin1(raw).trimmed();
    if (!line.startsWith(QLatin1Char('$'))) continue;
    const QStringList field = line.section(QLatin1Char('*'), 0, 0).split(QLatin1Char(','));
    const QString id = field[0].mid(3);
    if (id == QLatin1String("GLL") || seconds.empty()) seconds.emplace_back();
    if (id == QLatin1String("MTW")) last["temperature"] = field[1].toDouble();
    if (id == QLatin1String("VWR")) last["windspeed"] = field[3].toDouble();
    if (id == QLatin1String("VHW")) last["waterspeed"] = field[5].toDouble(), last["heading"] = field[3].toDouble();
    if (id == QLatin1String("RMC")) last["sog"] = field[7].toDouble(), last["cog"] = field[8].toDouble();
    if (id == QLatin1String("VLW")) {
      if (!last.count("firstlog")) last["firstlog"] = field[1].toDouble();
      last["log"] = field[1].toDouble() - last["firstlog"];
    }
    seconds.back().lines << line;
    seconds.back().value = last;
  }
  return seconds;
}

TEST(Logbook, CaptureReplayedWithTheLogRunningStoresTheCapturedValues) {
  Home h;
  h.app.settings.system.logInterval = 5;
  h.app.logbook.start();
  EXPECT_EQ(h.app.panels[Panel::Logging], "Log is running");
  h.app.receiver.beginSession();
  const std::vector<CaptureSecond> capture = readCapture(testDataFile("nmea/irene-20150429-NMEA0036.TXT"));
  ASSERT_GT(capture.size(), 50u);
  std::vector<const CaptureSecond*> expectedAutomatic;
  for (size_t s = 0; s < capture.size(); ++s) {
    for (const QString& line : capture[s].lines) h.app.receiver.inject(0, (line + "\r\n").toStdString());
    h.app.receiver.tick();
    h.clock.advanceSecs(1);
    h.app.cycle.tick();
    h.app.logbook.tick();
    if ((s + 1) % 5 == 0) expectedAutomatic.push_back(&capture[s]);
  }
  h.app.logbook.stop();
  EXPECT_EQ(h.app.panels[Panel::Logging], "Log is stopped");
  EXPECT_TRUE(h.prompter.empty());

  const auto rows = h.rows(
      "SELECT t.description, Log.memo, Log.temperature, Log.[wind speed], Log.speed, Log.course, Log.SOG, Log.COG, "
      "Log.depth, Log.distance, Log.pressure, Log.[position lat], Log.date "
      "FROM Log LEFT JOIN [Log entry types] t ON t.[Entry type] = Log.[Entry type] ORDER BY Log.rowid");
  ASSERT_EQ(rows.size(), expectedAutomatic.size() + 1);
  // The first tick writes the start entry: no type, memo "Start logging".
  EXPECT_FALSE(rows[0][0].isValid());
  EXPECT_EQ(rows[0][1].toString(), "Start logging");
  for (size_t i = 0; i < expectedAutomatic.size(); ++i) {
    SCOPED_TRACE("automatic entry " + std::to_string(i));
    const QVariantList& r = rows[i + 1];
    const auto& v = expectedAutomatic[i]->value;
    EXPECT_EQ(r[0].toString(), "GPS");  // no input source panel while injected
    EXPECT_FALSE(r[1].isValid());
    // Stored as single-precision floats of the decimal values sent.
    EXPECT_NEAR(r[2].toDouble(), v.at("temperature"), 1e-5);
    EXPECT_NEAR(r[3].toDouble(), v.at("windspeed"), 1e-5);
    EXPECT_NEAR(r[4].toDouble(), v.at("waterspeed"), 1e-5);
    EXPECT_NEAR(r[5].toDouble(), v.at("heading"), 1e-5);
    EXPECT_NEAR(r[6].toDouble(), v.at("sog"), 1e-5);
    EXPECT_NEAR(r[7].toDouble(), v.at("cog"), 1e-4);
    EXPECT_NEAR(r[9].toDouble(), v.at("log"), 1e-3);  // trip from the log's total
    // Depth comes as DPT, pressure never: values never received are stored as 0.
    EXPECT_EQ(r[8].toDouble(), 0.0);
    EXPECT_EQ(r[10].toDouble(), 0.0);
    EXPECT_FALSE(r[11].isValid());  // automatic entries have no position fields
  }
}

TEST(Logbook, EventEntriesKeepTheirTypeTextAndOrder) {
  Home h;
  h.app.nav.Latitude = 52.5f;
  h.app.nav.Longitude = 4.25f;
  h.app.logbook.RaiseLogEntry({"Skipper's note", "52° 30' N", 52.5f, 4.25f, "Reefed; wind \"rising\"", false});
  // The autopilot's HSC leaves its lock event for the main cycle.
  h.app.receiver.beginSession();
  h.app.receiver.inject(0, "$APHSC,,T,121.0,M\r\n");
  h.app.receiver.tick();
  h.app.logbook.RaiseLogEntry({"", "", 0, 0, "", false});
  EXPECT_EQ(h.app.logbook.pendingCount(), 2u);
  h.app.cycle.tick();
  EXPECT_FALSE(h.app.logbook.LogPending());
  const auto rows = h.rows(
      "SELECT t.description, Log.position, Log.[position lat], Log.memo, Log.latitude FROM Log "
      "LEFT JOIN [Log entry types] t ON t.[Entry type] = Log.[Entry type] ORDER BY Log.rowid");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][0].toString(), "Skipper's note");  // a new type added by its first use
  EXPECT_EQ(rows[0][3].toString(), "Reefed; wind \"rising\"");
  EXPECT_NEAR(rows[0][2].toDouble(), 52.5, 1e-6);
  EXPECT_FALSE(rows[1][0].isValid());
  EXPECT_FALSE(rows[1][1].isValid());  // empty texts stay Null
  // The cycle collects the parsers' events when it writes, after those already queued.
  EXPECT_EQ(rows[2][0].toString(), "Autopilot");
  EXPECT_EQ(rows[2][3].toString(), "Autopilot locked on 121.0");
  EXPECT_NEAR(rows[2][4].toDouble(), 52.5, 1e-6);
  EXPECT_EQ(h.app.db.scalar("SELECT COUNT(*) FROM [Log entry types] WHERE description = 'Skipper''s note'").toInt(), 1);
}

// Regression: an entry whose write failed used to be dropped with its pending flag.
TEST(Logbook, FailedWriteStaysPendingAndIsShownOnceAfterThreeTries) {
  Home h;
  const QDateTime raised = h.clock.now();
  h.app.logbook.RaiseLogEntry({"MOB", "", 1, 2, "", false});
  ASSERT_TRUE(h.app.db.execute("ALTER TABLE Log RENAME TO LogAway").ok());
  for (int tick = 1; tick <= 5; ++tick) {
    h.clock.advanceSecs(1);
    h.app.cycle.tick();
    EXPECT_EQ(h.prompter.entries().size(), tick >= 3 ? 1u : 0u) << "tick " << tick;
  }
  EXPECT_EQ(h.app.logbook.pendingCount(), 1u);
  // The type row of the failed attempts was rolled back with them.
  EXPECT_FALSE(h.app.db.scalar("SELECT 1 FROM [Log entry types] WHERE description = 'MOB'").isValid());
  ASSERT_TRUE(h.app.db.execute("ALTER TABLE LogAway RENAME TO Log").ok());
  h.app.cycle.tick();
  EXPECT_FALSE(h.app.logbook.LogPending());
  const auto rows = h.rows("SELECT date FROM Log");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0].toString(), raised.toString(Qt::ISODate));  // the moment it was raised
}

}  // namespace
}  // namespace tavrik
