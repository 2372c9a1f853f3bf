// tavrik-nav as a user runs it: a real receiver's route capture in, the autopilot
// sentences out, compared with the receiver's own RMB; bad arguments.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <map>

#include "nmea/nmea_checksum.h"
#include "test_data.h"

namespace {

struct ProgramRun {
  int exitCode = -1;
  QByteArray out, err;
};

ProgramRun run(const QStringList& args, const QByteArray& input = {}) {
  QProcess p;
  p.start(QStringLiteral(TAVRIK_BINARY_DIR "/src/nav/tavrik-nav"), args);
  EXPECT_TRUE(p.waitForStarted(10000));
  p.write(input);
  p.closeWriteChannel();
  EXPECT_TRUE(p.waitForFinished(30000));
  return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

}  // namespace

TEST(TavrikNav, RangeAndBearingAgreeWithTheReceiversOwnRmb) {
  // The hand-held follows a route towards A002 at 6004.099 N 01940.515 E.
  const QString capture = testDataFile(QStringLiteral("nmea/Garmin-GPS76_route.txt"));
  const ProgramRun r = run({"--goto", "60.0683167", "19.6752500", "--sentences", "RMB,BWC", capture});
  ASSERT_EQ(r.exitCode, 0) << r.err.constData();

  // Ours: each tick's RMB followed by its BWC, which carries the fix's time.
  std::map<QByteArray, QList<QByteArray>> ours;
  QList<QByteArray> lastRmb;
  int lines = 0;
  for (const QByteArray& line : r.out.split('\n')) {
    if (line.isEmpty()) continue;
    ++lines;
    ASSERT_TRUE(line.endsWith('\r'));
    ASSERT_EQ(tavrik::checkLine(std::string_view(line.constData(), line.size() - 1)), tavrik::ChecksumStatus::Good) << line.constData();
    const QList<QByteArray> f = line.left(line.indexOf('*')).split(',');
    if (f[0] == "$GPRMB") lastRmb = f;
    if (f[0] == "$GPBWC" && !ours.count(f[1])) ours[f[1]] = lastRmb;
  }
  EXPECT_EQ(lines % 2, 0);

  // Theirs: the RMB after each RMC (bare CR line ends).
  QFile f(capture);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QByteArray time;
  int compared = 0;
  for (const QByteArray& line : f.readAll().split('\r')) {
    const QList<QByteArray> fields = line.left(line.indexOf('*')).split(',');
    if (fields[0] == "$GPRMC") time = fields[1];
    if (fields[0] != "$GPRMB" || !ours.count(time)) continue;
    SCOPED_TRACE(time.constData());
    const QList<QByteArray>& mine = ours[time];
    EXPECT_EQ(mine[6], fields[6]) << "target latitude";
    EXPECT_EQ(mine[8], fields[8]) << "target longitude";
    // The receiver measures on the ellipsoid, we on the sphere of one mile a minute:
    // 0.2 % at 60 N, and its range has three decimals against our two.
    EXPECT_NEAR(mine[10].toDouble(), fields[10].toDouble(), 0.006);
    EXPECT_NEAR(mine[11].toDouble(), fields[11].toDouble(), 0.3) << "true bearing";
    ++compared;
  }
  EXPECT_EQ(compared, 7);
}

TEST(TavrikNav, RouteFileAndBadInput) {
  QTemporaryDir dir;
  const QString route = dir.filePath("route.txt"), bad = dir.filePath("bad.txt");
  {
    QFile f(route);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("# two legs\n60.07 19.675 Ams-Haven 3\n\n60.1 19.7\n");
    QFile b(bad);
    ASSERT_TRUE(b.open(QIODevice::WriteOnly));
    b.write("60.07 19.675\n60,1 19,7\n");
  }
  const QByteArray fix = "$GPRMC,094142,A,6004.4085,N,01940.5176,E,1.8,80.0,030610,4.8,E,D*2F\r\n";
  const ProgramRun ok = run({"--route", route, "--units", "Km", "--talker", "II", "--sentences", "APB,BOD", "-"}, fix);
  EXPECT_EQ(ok.exitCode, 0);
  EXPECT_TRUE(ok.out.startsWith("$IIBOD,")) << ok.out.constData();
  EXPECT_TRUE(ok.out.contains(",AMS-HA*")) << "the Part's order: BOD before APB";
  EXPECT_TRUE(ok.out.contains("\r\n$IIAPB,A,A,")) << ok.out.constData();
  EXPECT_TRUE(ok.out.contains(",K,")) << "kilometres";

  struct Row {
    const char* legend;
    QStringList args;
    const char* message;
  };
  const Row rows[] = {
      {"no target", {"-"}, "a target is needed"},
      {"latitude out of range", {"--goto", "91", "0"}, "--goto needs"},
      {"both targets", {"--goto", "1", "2", "--route", route}, "exclude each other"},
      {"unknown units", {"--goto", "1", "2", "--units", "ft"}, "--units needs Nm, M or Km"},
      {"unknown sentence", {"--goto", "1", "2", "--sentences", "RMB,GGA"}, "unknown sentence \"GGA\""},
      {"decimal comma in the route", {"--route", bad}, "line 2"},
      {"missing route file", {"--route", dir.filePath("none.txt")}, "cannot open"},
      {"missing input file", {"--goto", "1", "2", dir.filePath("none.log")}, "cannot open"},
      {"negative distance", {"--goto", "1", "2", "--turn-distance", "-1"}, "--turn-distance needs"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    const ProgramRun p = run(r.args);
    EXPECT_EQ(p.exitCode, 1);
    EXPECT_TRUE(p.err.contains(r.message)) << p.err.constData();
  }
  const ProgramRun help = run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.contains("--route FILE"));
}
