// Test-file recording and replay, and the simulator, all through receive buffer 0.

#include <gtest/gtest.h>

#include "test_data.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>

#include "core/clock.h"
#include "core/messages.h"
#include "geo/nav_math.h"
#include "nmea/nmea_simulator.h"
#include "nmea/receiver_rig.h"
#include "nmea/test_file.h"

namespace tavrik::test {
namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A receive path with a test-file player and a folder for the files.
struct FileRig : ReceiverRig {
  QTemporaryDir dir;
  TestFilePlayer player{rx, nav, panels, settings, prompter};
  qint64 elapsedMs = 0;
  QString file(const char* name, const QByteArray& data = {}) {
    QFile f(dir.filePath(QLatin1String(name)));
    EXPECT_TRUE(data.isEmpty() || (f.open(QIODevice::WriteOnly) && f.write(data) == data.size()));
    return f.fileName();
  }
  // Runs the player's timer and the 500 ms receive cycle side by side.
  void runFor(qint64 ms) {
    for (const qint64 end = elapsedMs + ms; elapsedMs < end;) {
      elapsedMs += 10;
      if (player.isRunning() && elapsedMs % player.intervalMs() == 0) player.tick();
      if (elapsedMs % 500 == 0) rx.tick();
    }
  }
};

TEST(TestFilePlayer, ReplaysTheIntervalsLinesPerSecondAndStopsAtTheEnd) {
  FileRig rig;
  QByteArray lines;
  for (int i = 0; i < 7; ++i) lines += "$GPHDT," + QByteArray::number(i + 1) + ".0,T\r\n";
  const QString path = rig.file("TRIP.TST", lines);
  rig.settings.system.testInterval = 5;
  bool stopped = false;
  rig.player.onStopped = [&] { stopped = true; };
  ASSERT_TRUE(rig.player.start(path));
  EXPECT_EQ(rig.player.intervalMs(), 200);
  EXPECT_EQ(rig.settings.TestDir, QFileInfo(path).absolutePath());
  rig.runFor(1000);
  EXPECT_EQ(rig.received(Sentence::HDT), 5u) << "five lines in the first second";
  EXPECT_EQ(rig.panels.inputSource(), "Test");
  rig.nav.SpeedOverGround = 4;
  rig.panels[Panel::Speed] = "4.0 Kts";
  rig.runFor(1000);
  EXPECT_EQ(rig.received(Sentence::HDT), 7u);
  EXPECT_FLOAT_EQ(rig.nav.HeadingTrue, 7.0f);
  EXPECT_TRUE(stopped);
  EXPECT_FALSE(rig.player.isRunning());
  ASSERT_FALSE(rig.prompter.empty());
  EXPECT_EQ(rig.prompter.lastText(), "End of testfile");
  EXPECT_EQ(rig.prompter.entries().back().kind, Prompter::Kind::Exclamation);
  EXPECT_EQ(rig.nav.SpeedOverGround, 0.0f);
  EXPECT_TRUE(rig.panels[Panel::Speed].isEmpty());
  EXPECT_FALSE(rig.rx.isRunning());
}

TEST(TestFilePlayer, DropsLinesWhileBufferZeroIsFull) {
  FileRig rig;
  ASSERT_TRUE(rig.player.start(rig.file("A.TST", "$GPHDT,1.0,T\r\n$GPHDT,2.0,T\n")));
  rig.rx.inject(0, std::string(TestFilePlayer::kBufferLimit, 'x'));
  rig.player.tick();
  EXPECT_EQ(rig.rx.bufferLength(0), TestFilePlayer::kBufferLimit) << "line lost";
  rig.player.tick();
  EXPECT_EQ(rig.rx.bufferLength(0), TestFilePlayer::kBufferLimit);
  EXPECT_FALSE(rig.player.start(rig.file("missing.TST")));
  EXPECT_FALSE(rig.player.errorText().isEmpty());
}

TEST(TestFileRecorder, RecordedLiveLinesReplayToTheSameResults) {
  const QByteArray capture = readAll(testDataFile(QStringLiteral("nmea/nokia-ld-4w.log")));
  ASSERT_FALSE(capture.isEmpty());
  ReceiverRig live;
  FileRig replay;
  const QString path = replay.file("LIVE.TST");
  TestFileRecorder recorder(live.rx);
  ASSERT_TRUE(recorder.start(path, live.prompter));
  for (qsizetype i = 0; i < capture.size(); i += 300) {
    live.rx.OnSerialEvent(0, capture.mid(i, 300));
    live.rx.tick();
  }
  recorder.stop();
  const QByteArray recorded = readAll(path);
  EXPECT_FALSE(recorded.contains("\r\r")) << "the lines' own CR LF is not written";
  EXPECT_TRUE(recorded.startsWith("# Name: Nokia LD-4W\r\n")) << "every cut line is recorded";
  ASSERT_TRUE(replay.player.start(path));
  while (replay.player.isRunning()) {
    replay.player.tick();
    replay.rx.tick();
  }
  EXPECT_EQ(replay.nav.ReceivedCount, live.nav.ReceivedCount);
  EXPECT_EQ(replay.nav.ErrorCount, live.nav.ErrorCount);
  EXPECT_GT(live.received(Sentence::RMC), 10u);
  EXPECT_EQ(std::tuple(replay.nav.Latitude, replay.nav.Longitude, replay.nav.FixTime, replay.nav.FixDate),
            std::tuple(live.nav.Latitude, live.nav.Longitude, live.nav.FixTime, live.nav.FixDate));
  EXPECT_EQ(std::tuple(replay.nav.Hdop, replay.nav.SatellitesInView),
            std::tuple(live.nav.Hdop, live.nav.SatellitesInView));
  EXPECT_EQ(replay.nav.SpeedOverGround, 0.0f) << "stopping replay clears the speed";
  EXPECT_EQ(replay.rx.LastSentences(), live.rx.LastSentences());
}

TEST(TestFileRecorder, AsksBeforeOverwriting) {
  FileRig rig;
  const QString path = rig.file("OLD.TST", "keep\r\n");
  TestFileRecorder recorder(rig.rx);
  rig.prompter.answer(false);
  EXPECT_FALSE(recorder.start(path, rig.prompter));
  EXPECT_EQ(rig.prompter.lastText(), "Testfile exits, overwrite?");
  EXPECT_EQ(readAll(path), "keep\r\n");
  rig.prompter.answer(true);
  ASSERT_TRUE(recorder.start(path, rig.prompter));
  rig.feed("ASTRAL\r\n$SHIPS,A\r\n");
  recorder.stop();
  EXPECT_EQ(readAll(path), "ASTRAL\r\n$SHIPS,A\r\n");
}

struct SimRig : ReceiverRig {
  FakeClock clock{QDateTime(QDate(2026, 3, 1), QTime(0, 30, 15))};
  NmeaSimulator sim{rx, panels, nav, settings, clock};
};

TEST(NmeaSimulator, SailsByDeadReckoningAndItsSentencesParseBack) {
  for (const char* unit : {"Nm", "M", "Km"}) {
    SCOPED_TRACE(unit);
    SimRig rig;
    rig.settings.units = Units::fromSetting(unit);
    rig.sim.state = {.latitude = 52, .longitude = 4, .trueCourse = 90, .magneticCourse = 88,
                     .speed = static_cast<float>(6 * rig.settings.units.UnitFactor), .depthMetres = 7.5,
                     .waterTemperature = 14.2f, .airPressure = 1013.25f, .windDirection = 40, .windSpeed = 12,
                     .shownUnit = unit};
    rig.sim.start();
    for (int i = 0; i < 60; ++i) {
      rig.clock.advanceSecs(1);
      rig.sim.tick();
      if (i % 2) rig.rx.tick();
    }
    EXPECT_EQ(rig.panels.inputSource(), "Simul");
    EXPECT_EQ(rig.nav.ErrorCount, decltype(rig.nav.ErrorCount){}) << "every sentence parses back";
    EXPECT_EQ(rig.received(Sentence::RMC), 60u);
    // A minute at 6 knots: 0.1 nm east, 0.1 / cos(52) minutes of longitude.
    CalcRecord c{52, 4, 0, 0, rig.sim.state.latitude, rig.sim.state.longitude, 0, 0, 0, 0};
    RhumbCourseDistance(c);
    EXPECT_NEAR(c.Distance, 0.1, 0.002);  // 60 steps of f32 dead reckoning with rounded trig
    EXPECT_NEAR(rig.sim.state.longitude, 4 + 0.1 / 60 / std::cos(52 * M_PI / 180), 2e-5);
    EXPECT_FLOAT_EQ(rig.nav.SpeedOverGround, 6.0f);
    EXPECT_EQ(rig.rx.LastSentences()[0].section(',', 7, 7), "6.0") << "RMC speed is knots in every unit";
    EXPECT_NEAR(rig.nav.Latitude, rig.sim.state.latitude, 1e-4);  // RMC minutes with three decimals
    EXPECT_NEAR(rig.nav.Longitude, rig.sim.state.longitude, 1e-4);
    EXPECT_FLOAT_EQ(rig.nav.DepthMetres, 7.5f);
    EXPECT_FLOAT_EQ(rig.nav.WaterTemperature, 14.2f);
    EXPECT_NEAR(rig.nav.AirPressure, 1013.3, 1e-3) << "bars with four decimals";
    EXPECT_FLOAT_EQ(rig.nav.HeadingMagnetic, 88.0f);
    EXPECT_FLOAT_EQ(rig.nav.WindDirection, 40.0f) << "VWR angle and side give back the wind direction";
    EXPECT_FLOAT_EQ(rig.nav.WindSpeed, 12.0f);
  }
}

TEST(NmeaSimulator, BringsTheUtcHourIntoRangeAndMovesTheDate) {
  struct Row { const char* legend; QDateTime local; int offset; const char *timeField, *dateField; };
  const Row rows[] = {
      {"east of Greenwich after midnight", QDateTime(QDate(2026, 3, 1), QTime(0, 30, 15)), 2, "223015", "280226"},
      {"west of Greenwich before midnight", QDateTime(QDate(2025, 12, 31), QTime(22, 5, 0)), -3, "010500", "010126"},
      {"no offset", QDateTime(QDate(2026, 7, 4), QTime(12, 0, 0)), 0, "120000", "040726"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    SimRig rig;
    rig.clock.set(r.local);
    rig.settings.system.localTime = r.offset;
    const QString rmc = rig.sim.sentences().section("\r\n", 0, 0);
    EXPECT_EQ(rmc.section(',', 1, 1), r.timeField);
    EXPECT_EQ(rmc.section(',', 9, 9), r.dateField);
    rig.sim.start();
    rig.sim.tick();
    rig.rx.tick();
    EXPECT_EQ(rig.nav.FixTime, r.local.time()) << "the parser's local offset undoes the simulator's";
    EXPECT_EQ(rig.nav.FixDate, r.local.date().toString("MM-dd-yyyy"));
  }
}

TEST(NmeaSimulator, SpeedFollowsAChangeOfUnits) {
  SimRig rig;
  rig.sim.state.speed = 10;  // knots
  rig.settings.units = Units::fromSetting("Km");
  rig.sim.tick();
  EXPECT_NEAR(rig.sim.state.speed, 18.52, 1e-4);
  EXPECT_EQ(rig.sim.state.shownUnit, "Km");
  rig.settings.units = Units::fromSetting("M");
  rig.sim.tick();
  EXPECT_NEAR(rig.sim.state.speed, 11.5078, 1e-3);
}

TEST(NmeaChecksum, CoversTheTextBetweenDollarAndStar) {
  struct Row { const char* legend; QString in, out; };
  const Row rows[] = {
      {"real RMC", "$GPRMC,095255.810,V,2712.6404,S,15303.1201,E,0.00,0.00,080407,,,A",
       "$GPRMC,095255.810,V,2712.6404,S,15303.1201,E,0.00,0.00,080407,,,A*6E"},
      {"recomputed over the part before *", "$GPGSA,A,3,12,25,21,29,30,,,,,,,,2.6,1.9,1.8*00",
       "$GPGSA,A,3,12,25,21,29,30,,,,,,,,2.6,1.9,1.8*38"},
      {"leading zero digit", "$GPHDT,274.07,T", "$GPHDT,274.07,T*03"},
      {"trimmed", "  $GPHDT,274.07,T \r\n", "$GPHDT,274.07,T*03"},
      {"empty", "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    EXPECT_EQ(NmeaChecksum(r.in), r.out);
  }
  EXPECT_EQ(NmeaName("Ams-Haven 3", 6, "-"), "AMS-HA");
  EXPECT_EQ(NmeaName("", 6, "-"), "------");
  EXPECT_EQ(NmeaName("ab", 6, "-"), "AB----");
  EXPECT_EQ(NmeaName("x y", 4, ""), "X Y ");
}

}  // namespace
}  // namespace tavrik::test
