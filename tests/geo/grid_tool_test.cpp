// The tavrik-grid filter, run as a user runs it.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

namespace {

struct ToolRun {
  QString out, err;
  int status = -1;
};

ToolRun run(const QStringList& args, const QByteArray& input) {
  QProcess p;
  p.start(QStringLiteral(TAVRIK_BINARY_DIR "/src/geo/tavrik-grid"), args);
  p.write(input);
  p.closeWriteChannel();
  p.waitForFinished(30000);
  return {QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()),
          p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1};
}

}  // namespace

TEST(TavrikGrid, ConvertsEachGridBothWays) {
  const struct {
    const char* legend;
    QStringList args;
    const char* input;
    const char* output;
  } rows[] = {
      {"utm", {"utm"}, "52 5\n-4 20\n", "31 U 637294.38 5762927.00\n34 M 388988.69 9557805.00\n"},
      {"utm inverse", {"utm", "--inverse"}, "31 U 637294.37 5762926.81\n", "51.99999997 5.00000006\n"},
      {"utm on the International ellipsoid", {"utm", "--a", "6378388", "--b", "6356911.946"}, "52 5\n",
       "31 U 637301.00 5763046.50\n"},
      {"rd", {"rd"}, "52 5\n", "128410.09 445806.50\n"},
      {"rd inverse", {"rd", "--inverse"}, "155000 463000\n", "52.15517928 5.38720358\n"},
      {"ngr", {"ngr"}, "50.9 -1.4\n", "SU 42290 11341\n"},
      {"ngr inverse", {"ngr", "--inverse"}, "SU 42290 11341\nsu4229011341\n",
       "50.90000381 -1.39999508\n50.90000381 -1.39999508\n"},
      {"blank lines and commas", {"utm"}, "\n52, 5\n\n", "31 U 637294.38 5762927.00\n"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    const ToolRun res = run(r.args, r.input);
    EXPECT_EQ(res.status, 0) << qPrintable(res.err);
    EXPECT_EQ(res.out, QString::fromLatin1(r.output));
    EXPECT_TRUE(res.err.isEmpty()) << qPrintable(res.err);
  }
}

TEST(TavrikGrid, BadLineIsReportedAndTheRestGoesOn) {
  const struct {
    const char* legend;
    QStringList args;
    const char* input;
    const char* output;
    const char* lineMention;
  } rows[] = {
      {"words", {"utm"}, "52 5\nnorth of here\n-4 20\n", "31 U 637294.38 5762927.00\n34 M 388988.69 9557805.00\n", "line 2"},
      {"latitude beyond the pole", {"utm"}, "95 5\n52 5\n", "31 U 637294.38 5762927.00\n", "line 1"},
      {"zone 61", {"utm", "--inverse"}, "61 U 500000 5000000\n31 U 637294.37 5762926.81\n", "51.99999997 5.00000006\n", "line 1"},
      {"designator Y", {"utm", "--inverse"}, "31 U 637294.37 5762926.81\n31 Y 1 1\n", "51.99999997 5.00000006\n", "line 2"},
      {"outside the National Grid", {"ngr"}, "0 0\n", "", "line 1"},
      {"unknown square", {"ngr", "--inverse"}, "XX 1 1\n", "", "line 1"},
      {"rd one number", {"rd", "--inverse"}, "155000\n", "", "line 1"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    const ToolRun res = run(r.args, r.input);
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(res.out, QString::fromLatin1(r.output));
    EXPECT_TRUE(res.err.contains(QLatin1String(r.lineMention))) << qPrintable(res.err);
  }
}

TEST(TavrikGrid, UsageErrors) {
  EXPECT_EQ(run({}, "").status, 2);
  EXPECT_EQ(run({"mgrs"}, "").status, 2);
  EXPECT_EQ(run({"utm", "--a"}, "").status, 2);
  EXPECT_EQ(run({"utm", "--a", "x"}, "").status, 2);
  EXPECT_EQ(run({"utm", "--a", "6356752", "--b", "6378137"}, "").status, 2);
}
