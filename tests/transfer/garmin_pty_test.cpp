// Over a real pseudo-terminal: GPSBabel as the host against the receiver emulator
// (so the emulator is a fair stand-in for a receiver), then our own transfer.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "nmea/qserial_link.h"
#include "transfer/garmin_emulator.h"
#include "core/messages.h"
#include "transfer/garmin_session.h"
#include "transfer/magellan_emulator.h"
#include "transfer/pty_port.h"

namespace tavrik::test {
namespace {

using namespace garmin;

constexpr int kWaitMs = 20000;  // bound for a whole transfer through the kernel

WaypointRecord wpt(const char* ident, double lat, double lon, const char* comment) {
  WaypointRecord w;
  w.ident = QString::fromLatin1(ident);
  w.latitude = lat;
  w.longitude = lon;
  w.comment = QString::fromLatin1(comment);
  return w;
}

struct EmulatorOnPty {
  PtyPort pty;
  GarminEmulator receiver;
  EmulatorOnPty() {
    receiver.write = [this](const QByteArray& b) { pty.write(b); };
    pty.onBytes = [this](const QByteArray& b) { receiver.onBytes(b); };
    receiver.waypoints = {wpt("BUOY01", 53.5, 8.125, "FIRST TEST WPT"), wpt("HARB02", 53.55, 8.2, "HARBOUR"),
                          wpt("DLE\x10X", -0.5, -179.75, "IDENT WITH DLE BYTE")};
    receiver.track = {{53.5, 8.125, QDateTime(QDate(2021, 9, 8), QTime(1, 46, 40), Qt::UTC), true},
                      {53.501, 8.126, QDateTime(QDate(2021, 9, 8), QTime(1, 46, 50), Qt::UTC), false}};
  }
};

struct MagellanOnPty {
  PtyPort pty;
  MagellanEmulator receiver;
  MagellanOnPty() {
    receiver.write = [this](const QByteArray& b) { pty.write(b); };
    pty.onBytes = [this](const QByteArray& b) { receiver.onBytes(b); };
  }
};

struct Finished {
  bool normal = false;
  int code = -1;
  QByteArray out, err;
};

// Runs a program while the emulators keep answering on the event loop.
Finished runProgram(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  Finished f;
  if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, kWaitMs)) {
    p.kill();
    p.waitForFinished();
    return f;
  }
  f.normal = p.exitStatus() == QProcess::NormalExit;
  f.code = p.exitCode();
  f.out = p.readAllStandardOutput();
  f.err = p.readAllStandardError();
  return f;
}

bool runGpsbabel(const QStringList& args, QString* error) {
  QProcess p;
  p.start(QStringLiteral("gpsbabel"), args);
  if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, kWaitMs)) {
    p.kill();
    p.waitForFinished();
    *error = QStringLiteral("gpsbabel did not finish");
    return false;
  }
  *error = QString::fromLocal8Bit(p.readAllStandardError());
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

TEST(GarminEmulatorAgainstGpsbabel, DownloadsWaypointsAndTrackAndTakesAnUpload) {
  if (QStandardPaths::findExecutable(QStringLiteral("gpsbabel")).isEmpty()) GTEST_SKIP() << "gpsbabel is not installed";
  QTemporaryDir dir;
  EmulatorOnPty rig;
  QString error;
  const QString gpx = dir.filePath(QStringLiteral("out.gpx"));
  ASSERT_TRUE(runGpsbabel({QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("-i"), QStringLiteral("garmin"),
                           QStringLiteral("-f"), rig.pty.name, QStringLiteral("-o"), QStringLiteral("gpx"), QStringLiteral("-F"), gpx},
                          &error))
      << error.toStdString();
  QFile f(gpx);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(f.readAll());
  // GPSBabel's own reading of the emulator's semicircles, to a semicircle (8.4e-8 degrees).
  static const QRegularExpression point(QStringLiteral("<(?:wpt|trkpt) lat=\"([-0-9.]+)\" lon=\"([-0-9.]+)\""));
  std::vector<std::pair<double, double>> read;
  for (auto it = point.globalMatch(text); it.hasNext();) {
    const auto m = it.next();
    read.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
  }
  const std::pair<double, double> sent[] = {{53.5, 8.125}, {53.55, 8.2}, {-0.5, -179.75}, {53.5, 8.125}, {53.501, 8.126}};
  ASSERT_EQ(read.size(), std::size(sent)) << text.toStdString();
  for (size_t i = 0; i < read.size(); ++i) {
    EXPECT_NEAR(read[i].first, sent[i].first, 1e-7) << i;
    EXPECT_NEAR(read[i].second, sent[i].second, 1e-7) << i;
  }
  // GPX cannot hold the DLE byte of the third ident: GPSBabel drops it.
  for (const char* expected : {"<name>BUOY01</name>", "<cmt>FIRST TEST WPT</cmt>", "<name>DLEX</name>",
                               // GPSBabel reads track times from the receivers' epoch, 1989-12-31 00:00 UTC
                               "<time>2021-09-08T01:46:40Z</time>", "<time>2021-09-08T01:46:50Z</time>"})
    EXPECT_TRUE(text.contains(QString::fromLatin1(expected))) << expected;

  const QString in = dir.filePath(QStringLiteral("in.gpx"));
  QFile out(in);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write("<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"t\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
            "<wpt lat=\"-33.25\" lon=\"151.5\"><name>SYD1</name><cmt>SOUTH</cmt></wpt></gpx>");
  out.close();
  ASSERT_TRUE(runGpsbabel({QStringLiteral("-i"), QStringLiteral("gpx"), QStringLiteral("-f"), in, QStringLiteral("-o"),
                           QStringLiteral("garmin"), QStringLiteral("-F"), rig.pty.name},
                          &error))
      << error.toStdString();
  ASSERT_EQ(rig.receiver.uploadedWaypoints.size(), 1u);
  EXPECT_EQ(rig.receiver.uploadedWaypoints[0].ident, QStringLiteral("SYD1"));
  EXPECT_NEAR(rig.receiver.uploadedWaypoints[0].latitude, -33.25, 1e-7);
  EXPECT_NEAR(rig.receiver.uploadedWaypoints[0].longitude, 151.5, 1e-7);
  EXPECT_EQ(rig.receiver.uploadComplete, 1);
}

struct CollectingSink final : TransferSink {
  std::vector<WaypointRecord> waypoints;
  std::vector<TrackPoint> points;
  QString status, failure;
  bool done = false;
  void setStatus(const QString& s) override { status = s; }
  void appendStatus(const QString& s) override { status += s; }
  void waypoint(const WaypointRecord& w, bool) override { waypoints.push_back(w); }
  void trackPoint(const TrackPoint& p) override { points.push_back(p); }
  void completed() override { done = true; }
  void failed(const QString& m) override { failure = m; }
};

// Our side through QSerialPort against the emulator, with a damaged frame on the way.
TEST(GarminOverPty, DownloadsWaypointsThroughTheSerialPort) {
  EmulatorOnPty rig;
  rig.receiver.damageOutgoing = 2;
  QSerialLink port;
  ASSERT_TRUE(port.open(rig.pty.name, QStringLiteral("9600,N,8,1"), Handshake::None)) << port.errorText().toStdString();
  SystemClock clock;
  CollectingSink sink;
  GarminSession session(port, clock, sink);
  port.onBytes = [&](const QByteArray& b) { session.onBytes(b); };
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { session.tick(); });
  timer.start(50);
  session.startDownload(Dataset::Waypoints);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !session.running(); }, kWaitMs));
  EXPECT_TRUE(sink.done) << sink.failure.toStdString();
  ASSERT_EQ(sink.waypoints.size(), 3u);
  EXPECT_EQ(sink.waypoints[2].ident, QStringLiteral("DLE\x10X"));
  EXPECT_EQ(sink.waypoints[1].comment, QStringLiteral("HARBOUR"));
  EXPECT_EQ(sink.status, QStringLiteral("ID: 999, Ver: 3.10\nEMU GPS 12 Software Version 3.10\n<Using A001 Protocol Capability Protocol> - Transfer completed"));
  EXPECT_EQ(rig.receiver.naksReceived, 1) << "the damaged frame is refused once and sent again";
}

TEST(MagellanEmulatorAgainstGpsbabel, DownloadsWaypoints) {
  if (QStandardPaths::findExecutable(QStringLiteral("gpsbabel")).isEmpty()) GTEST_SKIP() << "gpsbabel is not installed";
  QTemporaryDir dir;
  MagellanOnPty rig;
  QString error;
  const QString gpx = dir.filePath(QStringLiteral("out.gpx"));
  ASSERT_TRUE(runGpsbabel({QStringLiteral("-w"), QStringLiteral("-i"), QStringLiteral("magellan"), QStringLiteral("-f"), rig.pty.name,
                           QStringLiteral("-o"), QStringLiteral("gpx"), QStringLiteral("-F"), gpx},
                          &error))
      << error.toStdString();
  QFile f(gpx);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(f.readAll());
  for (const char* expected : {"<wpt lat=\"53.500000000\" lon=\"8.125000000\">", "<name>BUOY01</name>",
                               "<wpt lat=\"-52.408333333\" lon=\"-8.200000000\">", "<name>HARB02</name>"})
    EXPECT_TRUE(text.contains(QString::fromLatin1(expected))) << expected << "\n" << text.toStdString();
}

// tavrik-gps end to end: a download from each make into a new database, and the
// message and exit status when nothing answers.
TEST(TavrikGps, DownloadsPrintOneLinePerStoredRecordAndSilenceFails) {
  QTemporaryDir home;
  const QString tool = QStringLiteral(TAVRIK_BINARY_DIR "/src/transfer/tavrik-gps");
  {
    EmulatorOnPty garmin;
    const Finished r = runProgram(tool, {"--home", home.path(), "--port", garmin.pty.name, "garmin", "download", "waypoints"});
    ASSERT_TRUE(r.normal);
    EXPECT_EQ(r.code, 0) << r.err.constData();
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3);
    const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(first.value("kind").toString(), QStringLiteral("waypoint"));
    EXPECT_EQ(first.value("description").toString(), QStringLiteral("BUOY01"));
    EXPECT_NEAR(first.value("lat").toDouble(), 53.5, 1e-7);
    EXPECT_NEAR(first.value("lon").toDouble(), 8.125, 1e-7);
  }
  {
    MagellanOnPty magellan;
    const Finished r = runProgram(tool, {"--home", home.path(), "--port", magellan.pty.name, "magellan", "download", "tracks"});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(r.out.count("\"kind\":\"trackpoint\""), 2);
    EXPECT_TRUE(r.err.contains("2 Magellan trackpoints - Transfer completed")) << r.err.constData();
  }
  {
    EmulatorOnPty silent;
    silent.receiver.mute = true;
    const Finished r = runProgram(tool, {"--home", home.path(), "--port", silent.pty.name, "garmin", "upload", "waypoints"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.trimmed(), "tavrik-gps: " + MessageText(Msg::NoGarmin).toLatin1());
  }
  EXPECT_EQ(runProgram(tool, {"--home", home.path(), "garmin", "download"}).code, 2);
}

}  // namespace
}  // namespace tavrik::test

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
