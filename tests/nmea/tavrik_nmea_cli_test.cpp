// The tavrik-nmea program as a user runs it: files or standard input in, JSON lines
// out, exit status and messages.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct ProgramRun {
  int exitCode = -1;
  QByteArray out, err;
  QList<QByteArray> lines() const { return out.trimmed().split('\n'); }
  // The counters object of the last line: ReceivedCount or ErrorCount of one sentence.
  int counter(const char* kind, const char* sentence) const {
    return QJsonDocument::fromJson(lines().back()).object()[kind].toObject()[sentence].toInt(-1);
  }
};

ProgramRun run(const QStringList& args, const QByteArray& input = {}) {
  QProcess p;
  p.start(QStringLiteral(TAVRIK_BINARY_DIR "/src/nmea/tavrik-nmea"), args);
  EXPECT_TRUE(p.waitForStarted(10000));
  p.write(input);
  p.closeWriteChannel();
  EXPECT_TRUE(p.waitForFinished(30000));
  return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

TEST(TavrikNmea, DecodesStandardInputToJsonLines) {
  const QByteArray input =
      "# gpsd log comment\n"
      "$GPRMC,235959,A,5223.4500,N,00452.1200,W,6.5,90.0,311201,1.5,E*00\r\n"  // wrong checksum
      "$GPRMC,235959,A,5223.4500,N,00452.1200,W,6.5,90.0,311201,1.5,E\r\n"
      "$GPGSV,1,1,02,05,45,347,45,12,39,002,\n"
      "$IIDBT,12.3,f,3.7,M,2.0,F";  // last line without line end
  const ProgramRun r = run({"--local-offset", "1", "-"}, input);
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QList<QByteArray> l = r.lines();
  ASSERT_EQ(l.size(), 4);
  EXPECT_EQ(l[0].toStdString(),
            "{\"sentence\":\"GPRMC\",\"Latitude\":52.390835,\"Longitude\":-4.8686666,\"FixTime\":\"00:59:59\","
            "\"FixDate\":\"01-01-2002\",\"SpeedOverGround\":6.5,\"CourseOverGround\":90,\"GpsVariation\":1.5}");
  EXPECT_EQ(l[1],
            "{\"sentence\":\"GPGSV\",\"SatellitesInView\":2,\"Satellites\":[{\"Prn\":5,\"Elevation\":45,"
            "\"Azimuth\":347,\"Snr\":45},{\"Prn\":12,\"Elevation\":39,\"Azimuth\":2,\"Snr\":0}]}");
  EXPECT_EQ(l[2], "{\"sentence\":\"IIDBT\",\"DepthFeet\":12.3,\"DepthMetres\":3.7}");
  EXPECT_EQ(r.counter("ReceivedCount", "RMC"), 2);
  EXPECT_EQ(r.counter("ErrorCount", "RMC"), 1);
  const QJsonObject counters = QJsonDocument::fromJson(l[3]).object();
  EXPECT_EQ(counters["ReceivedCount"].toObject().size(), 22);
  EXPECT_EQ(counters["ErrorCount"].toObject().size(), 22);
}

TEST(TavrikNmea, ExitStatusAndMessages) {
  struct Row { const char* legend; QStringList args; int exitCode; const char *stderrHas, *stdoutHas; };
  const Row rows[] = {
      {"help", {"--help"}, 0, "", "Usage: tavrik-nmea"},
      {"file that cannot be opened", {"/nonexistent/x.log"}, 1, "cannot open /nonexistent/x.log", "ReceivedCount"},
      {"unknown option", {"--bogus"}, 2, "unknown option --bogus", ""},
      {"bad offset", {"--local-offset", "x"}, 2, "--local-offset", ""},
      {"a real capture", {TAVRIK_TESTDATA "/nmea/mr-350p.log"}, 0, "", "\"sentence\":\"GPZDA\""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    const ProgramRun r = run(row.args);
    EXPECT_EQ(r.exitCode, row.exitCode);
    EXPECT_TRUE(r.err.contains(row.stderrHas)) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(row.stdoutHas));
  }
}

TEST(TavrikNmea, BinaryGarbageAndLongLinesAreCountedOrDropped) {
  QByteArray input;
  for (int i = 0; i < 20000; ++i) input += static_cast<char>((i * 7919) % 256);
  input += "\n" + QByteArray(9000, 'A') + "\n";
  input += "$GPGGA,,,,,,,,,,,,,,\r\n$GPGGA\r\n$GPVTG,abc,T,,M,x,N\r\n";
  const ProgramRun r = run({}, input);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.counter("ReceivedCount", "GGA"), 2);
  EXPECT_EQ(r.counter("ErrorCount", "GGA"), 2) << "empty position, too few fields";
  EXPECT_EQ(r.counter("ErrorCount", "VTG"), 0) << "text in numeric fields reads 0";
  EXPECT_TRUE(r.lines().contains("{\"sentence\":\"GPVTG\",\"SpeedOverGround\":0,\"CourseOverGround\":0}"));
}

}  // namespace
