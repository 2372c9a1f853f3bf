// BSB/KAP import checked against GDAL and tavrik-chart, the NKF header, and the chart
// manager's moves.
#include <QDir>
#include <QFile>
#include <QProcess>

#include "chart/chart_row_store.h"
#include "core/messages.h"
#include "library/bsb_import.h"
#include "library/chart_manager.h"
#include "library/nkf_header.h"
#include "library_test_db.h"
#include "test_data.h"

using namespace tavrik;

namespace {

// A tool reading "x y" pixel lines; started at once, read later, so that the
// tools of every chart run side by side.
struct ToolRun {
  std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
  ToolRun(const QString& program, const QStringList& args, const QString& input) {
    process->start(program, args);
    process->write(input.toLatin1());
    process->closeWriteChannel();
  }
  // "first second" number pairs of its output.
  std::vector<std::pair<double, double>> pairs() {
    EXPECT_TRUE(process->waitForFinished(20000));
    std::vector<std::pair<double, double>> out;
    for (const QString& line : QString::fromLatin1(process->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
      const QStringList f = line.split(' ', Qt::SkipEmptyParts);
      if (f.size() >= 2) out.emplace_back(f[0].toDouble(), f[1].toDouble());
    }
    return out;
  }
};

}  // namespace

TEST(BsbImport, EveryChartAgainstGdalAndTavrikChart) {
  LibraryTestDb t;
  const QStringList charts = QDir(testDataFile("charts")).entryList({"*.KAP"}, QDir::Files, QDir::Name);
  ASSERT_EQ(charts.size(), 9);
  BsbImporter importer(t.db, {"Skipper's Rock", 0, t.now});
  std::vector<ChartRow> rows;
  std::vector<ToolRun> tools, gdals;
  for (const QString& name : charts) {
    const QString path = testDataFile("charts/" + name);
    const ImportOutcome out = importer.importFile(path);
    ASSERT_TRUE(out.ok) << out.error.toStdString();
    ASSERT_FALSE(out.rows.empty());
    std::unique_ptr<Recordset> rs = t.db.openRecordset("SELECT * FROM Charts WHERE chart = " + QString::number(out.rows[0].key));
    rows.push_back(chartRowFromRecordset(*rs));
    const QString corners = QString("0 0\n%1 %2\n%1 0\n").arg(rows.back().x2 / 15).arg(rows.back().y2 / 15);
    tools.emplace_back(TAVRIK_BINARY_DIR "/src/chart/tavrik-chart", QStringList{"latlon", path}, corners);
    gdals.emplace_back("gdaltransform", QStringList{"-t_srs", "EPSG:4326", path}, corners);
  }
  for (size_t c = 0; c < rows.size(); ++c) {
    SCOPED_TRACE(charts[static_cast<qsizetype>(c)].toStdString());
    const ChartRow& row = rows[c];
    EXPECT_TRUE(row.bsb);
    EXPECT_EQ(row.x1, 0);
    const double mine[3][2] = {{row.latitude1, row.longitude1}, {row.latitude2, row.longitude2}, {row.latitude3, row.longitude3}};
    const auto tool = tools[c].pairs();
    const auto gdal = gdals[c].pairs();
    ASSERT_EQ(tool.size(), 3u);
    ASSERT_EQ(gdal.size(), 3u);
    for (int i = 0; i < 3; ++i) {
      const double stored = i == 2 ? 4e-6 : 1e-7;  // point 3 is kept in single precision
      EXPECT_NEAR(mine[i][0], tool[i].first, stored);
      EXPECT_NEAR(mine[i][1], tool[i].second, stored);
      // GDAL fits its own polynomial to the reference points; the corners lie outside
      // them on the skewed charts, where the two fits part by up to about two pixels.
      EXPECT_NEAR(mine[i][0], gdal[i].second, 5e-4);
      EXPECT_NEAR(mine[i][1], gdal[i].first, 5e-4);
    }
    EXPECT_LE(*row.latmin, std::min(row.latitude1, row.latitude2));
    EXPECT_GE(*row.lonmax, std::max(row.longitude1, row.longitude2));
  }
  // Again: the same rows, one link each.
  for (const QString& name : charts.mid(0, 2)) ASSERT_TRUE(importer.importFile(testDataFile("charts/" + name)).ok);
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM Charts"), 9);
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM [Folder charts]"), 9);  // no second link either
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM Folders WHERE description = 'Skipper''s Rock'"), 1);
  // A long name is cut to 35 characters before the bracket.
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM Charts WHERE description = 'BASSWOOD LAKE EASTERN PART EXTENSIO [1569.14988_2]'"), 1);

  const ImportOutcome bad = importer.importFile(testDataFile("charts/README.md"));
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.error, MessageText(Msg::CannotLoadBsb) + " (" + testDataFile("charts/README.md") + ")");
}

TEST(NkfHeader, CheckByteAndRow) {
  NkfHeader h;
  h.description = "Noordzee kust";
  h.datum = "WGS84";
  h.scale = 50000;
  h.width = 1000;
  h.height = 800;
  const double cal[8] = {53.0, 4.0, 0, 0, 52.5, 5.0, 1000, 800};
  std::copy(std::begin(cal), std::end(cal), h.calibration);
  QByteArray bytes = nkfHeaderBytes(h);
  const NkfHeaderResult ok = parseNkfHeader(bytes);
  ASSERT_TRUE(ok.header) << ok.error.toStdString();
  EXPECT_EQ(ok.header->description, "Noordzee kust");
  EXPECT_EQ(ok.header->scale, 50000);
  const ChartRow row = nkfChartRow(*ok.header, "/charts/nl.nkf", 0);
  EXPECT_EQ(row.Scale, "1:50000");
  EXPECT_DOUBLE_EQ(row.x2, 15000);
  EXPECT_NEAR(*row.latmax, 53.0, 1e-6);
  EXPECT_NEAR(*row.lonmax, 5.0, 1e-6);
  LibraryTestDb t;
  {
    QFile file(t.path("nl.nkf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes + QByteArray(1000, '\x11'));
  }
  const ImportOutcome stored = importNkfFile(t.db, t.path("nl.nkf"), {"Noordzee", 0, false, {}, t.now, {}});
  ASSERT_TRUE(stored.ok) << stored.error.toStdString();
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM [Folder charts]"), 1);

  bytes[100] = static_cast<char>(bytes[100] ^ 1);
  const NkfHeaderResult bad = parseNkfHeader(bytes);
  EXPECT_FALSE(bad.header);
  EXPECT_EQ(bad.error, "Error in EuroSea - Header");
  {
    QFile file(t.path("bad.nkf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  const ImportOutcome refused = importNkfFile(t.db, t.path("bad.nkf"), {"Noordzee", 0, false, {}, t.now, {}});
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.error, "Error in EuroSea - Header\nFehler in File: " + t.path("bad.nkf"));
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM Charts"), 1);
}

TEST(ChartManager, MovesKeepFileNames) {
  LibraryTestDb t;
  QDir(t.dir.path()).mkpath("new");
  std::vector<qint64> keys;
  for (int i = 0; i < 5; ++i) {
    const QString name = QString("c%1.png").arg(i);
    ASSERT_TRUE(t.db.execute("INSERT INTO Charts (description, bitmap) VALUES (?, ?)", {name, "/old/place/" + name}).ok());
    keys.push_back(t.db.lastInsertId());
    if (i != 4) QFile(t.path("new/" + name)).open(QIODevice::WriteOnly);
  }
  const ManagerOutcome missingDir = moveChartsToDirectory(t.db, keys, t.path("nowhere"));
  EXPECT_FALSE(missingDir.ok);
  const ManagerOutcome moved = moveChartsToDirectory(t.db, keys, t.path("new"));
  EXPECT_TRUE(moved.ok);
  EXPECT_EQ(moved.changed, 4);
  EXPECT_EQ(moved.skipped.size(), 1);  // c4.png is not there
  EXPECT_EQ(t.db.scalar("SELECT bitmap FROM Charts WHERE description = 'c2.png'").toString(), t.path("new/c2.png"));
  EXPECT_EQ(t.db.scalar("SELECT bitmap FROM Charts WHERE description = 'c4.png'").toString(), "/old/place/c4.png");
  EXPECT_FALSE(applyChartChange(t.db, keys[4], "Renamed", t.path("new"), "c4.png").ok);
  EXPECT_TRUE(applyChartChange(t.db, keys[0], "Skipper's Rock", t.path("new"), "c0.png").ok);
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM Charts WHERE description = 'Skipper''s Rock'"), 1);
}
