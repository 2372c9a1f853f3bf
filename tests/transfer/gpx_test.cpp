// GPX read and write against GPSBabel's own reference files and GPSBabel itself (a
// round trip through it keeps every point and name), and import/export through a
// real SQLite database: one transaction, nothing half-imported.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "store/db_datum_lookup.h"
#include "store/schema.h"
#include "test_data.h"
#include "transfer/gpx_scan.h"
#include "transfer/gpx_store.h"

namespace tavrik::test {
namespace {

GpxDocument readData(const QString& name) {
  GpxDocument doc;
  QString error;
  EXPECT_TRUE(readGpxFile(testDataFile(QStringLiteral("gpx/") + name), doc, error)) << error.toStdString();
  return doc;
}

size_t trackPoints(const GpxDocument& d) {
  size_t n = 0;
  for (const GpxTrack& t : d.tracks) n += t.pointCount();
  return n;
}
size_t segments(const GpxDocument& d) {
  size_t n = 0;
  for (const GpxTrack& t : d.tracks) n += t.segments.size();
  return n;
}
size_t routePoints(const GpxDocument& d) {
  size_t n = 0;
  for (const GpxRoute& r : d.routes) n += r.points.size();
  return n;
}

// Same points and names in the same order (coordinates to 1e-7 degree).
void expectSame(const GpxDocument& a, const GpxDocument& b) {
  auto same = [](const GpxPoint& x, const GpxPoint& y) {
    EXPECT_NEAR(x.lat, y.lat, 1e-7);
    EXPECT_NEAR(x.lon, y.lon, 1e-7);
    EXPECT_EQ(x.name.toStdString(), y.name.toStdString());
  };
  ASSERT_EQ(a.waypoints.size(), b.waypoints.size());
  for (size_t i = 0; i < a.waypoints.size(); ++i) same(a.waypoints[i], b.waypoints[i]);
  ASSERT_EQ(a.routes.size(), b.routes.size());
  for (size_t r = 0; r < a.routes.size(); ++r) {
    EXPECT_EQ(a.routes[r].name, b.routes[r].name);
    ASSERT_EQ(a.routes[r].points.size(), b.routes[r].points.size());
    for (size_t i = 0; i < a.routes[r].points.size(); ++i) same(a.routes[r].points[i], b.routes[r].points[i]);
  }
  ASSERT_EQ(a.tracks.size(), b.tracks.size());
  for (size_t t = 0; t < a.tracks.size(); ++t) {
    EXPECT_EQ(a.tracks[t].name, b.tracks[t].name);
    ASSERT_EQ(a.tracks[t].segments.size(), b.tracks[t].segments.size());
    for (size_t s = 0; s < a.tracks[t].segments.size(); ++s) {
      ASSERT_EQ(a.tracks[t].segments[s].size(), b.tracks[t].segments[s].size());
      for (size_t i = 0; i < a.tracks[t].segments[s].size(); ++i) {
        EXPECT_NEAR(a.tracks[t].segments[s][i].lat, b.tracks[t].segments[s][i].lat, 1e-7);
        EXPECT_EQ(a.tracks[t].segments[s][i].time, b.tracks[t].segments[s][i].time);
      }
    }
  }
}

GpxDocument throughGpsbabel(const QTemporaryDir& dir, const GpxDocument& doc) {
  const QString ours = dir.filePath(QStringLiteral("ours.gpx")), back = dir.filePath(QStringLiteral("back.gpx"));
  QString error;
  EXPECT_TRUE(writeGpxFile(ours, doc, error)) << error.toStdString();
  QProcess babel;
  babel.start(QStandardPaths::findExecutable(QStringLiteral("gpsbabel")),
              {"-i", "gpx", "-f", ours, "-o", "gpx", "-F", back});
  EXPECT_TRUE(babel.waitForFinished(20000));
  EXPECT_EQ(babel.exitCode(), 0) << babel.readAllStandardError().toStdString();
  GpxDocument out;
  EXPECT_TRUE(readGpxFile(back, out, error)) << error.toStdString();
  return out;
}

// Point times as loggers write them, with and without fractions and offsets, all in UTC.
TEST(Gpx, PointTimesAreReadInUtcWhateverTheirForm) {
  const struct {
    const char* text;
    QDateTime utc;  // invalid: no time
  } cases[] = {
      {"2026-06-02T10:15:30Z", QDateTime(QDate(2026, 6, 2), QTime(10, 15, 30), Qt::UTC)},
      {"2026-06-02T10:15:30.25Z", QDateTime(QDate(2026, 6, 2), QTime(10, 15, 30, 250), Qt::UTC)},
      {"2026-06-02T10:15:30.1239999Z", QDateTime(QDate(2026, 6, 2), QTime(10, 15, 30, 123), Qt::UTC)},
      {"2026-06-02T12:15:30+02:00", QDateTime(QDate(2026, 6, 2), QTime(10, 15, 30), Qt::UTC)},
      {"2026-02-30T10:15:30Z", QDateTime()},
      {"yesterday", QDateTime()},
  };
  for (const auto& c : cases) {
    QByteArray xml = "<gpx version=\"1.1\"><wpt lat=\"1\" lon=\"2\"><time>";
    xml += c.text;
    xml += "</time></wpt></gpx>";
    QBuffer in(&xml);
    in.open(QIODevice::ReadOnly);
    GpxDocument doc;
    QString error;
    ASSERT_TRUE(readGpx(in, doc, error)) << c.text << error.toStdString();
    ASSERT_EQ(doc.waypoints.size(), 1u);
    EXPECT_EQ(doc.waypoints[0].time, c.utc) << c.text;
  }
}

TEST(Gpx, GpsbabelReferenceFilesOfBothVersionsAreReadWhole) {
  struct Row {
    const char* file;
    size_t waypoints, routes, routePoints, tracks, segments, trackPoints;
  } rows[] = {
      {"expertgps.gpx", 86, 1, 46, 1, 1, 64},     {"segmented_tracks.gpx", 0, 0, 0, 2, 10, 46},
      {"bend-input.gpx", 0, 1, 232, 0, 0, 0},     {"bounds-test.gpx", 11, 3, 108, 0, 0, 0},
      {"tpo-sample1.gpx", 0, 0, 0, 31, 31, 1558},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.file);
    const GpxDocument d = readData(QString::fromLatin1(r.file));
    EXPECT_EQ(d.waypoints.size(), r.waypoints);
    EXPECT_EQ(d.routes.size(), r.routes);
    if (r.routePoints) {
      EXPECT_EQ(routePoints(d), r.routePoints);
    }
    EXPECT_EQ(d.tracks.size(), r.tracks);
    EXPECT_EQ(segments(d), r.segments);
    if (r.trackPoints) {
      EXPECT_EQ(trackPoints(d), r.trackPoints);
    }
  }
}

TEST(Gpx, RoundTripThroughGpsbabelKeepsEveryPointNameAndUnicodeText) {
  if (QStandardPaths::findExecutable(QStringLiteral("gpsbabel")).isEmpty()) GTEST_SKIP() << "gpsbabel is not installed";
  QTemporaryDir dir;
  for (const char* file : {"expertgps.gpx", "segmented_tracks.gpx", "bend-input.gpx"}) {
    SCOPED_TRACE(file);
    const GpxDocument d = readData(QString::fromLatin1(file));
    expectSame(d, throughGpsbabel(dir, d));
  }
  GpxDocument u;
  GpxPoint p;
  p.lat = 54.8574, p.lon = 10.4006, p.name = QStringLiteral("Ærøskøbing – havn"),
  p.description = QStringLiteral("港 & <Anker>");
  u.waypoints.push_back(p);
  const GpxDocument back = throughGpsbabel(dir, u);
  expectSame(u, back);
  EXPECT_EQ(back.waypoints.at(0).description, p.description);
}

// The scanner against Qt's reader: where the scanner reads, Qt reads the same; where
// it refuses, Qt refuses too (or, for what it leaves alone, readGpx reads with Qt).
TEST(Gpx, ScannerReadsWhatQtReadsAndRefusesWhatQtRefuses) {
  using enum GpxScan;
  const std::string wpt = "<wpt lat=\"1\" lon=\"2\">";
  const auto gpx = [](const std::string& inside) { return "<gpx>" + inside + "</gpx>"; };
  struct Row {
    const char* legend;
    std::string xml;
    GpxScan scan;
  } rows[] = {
      {"references, CDATA and a comment in a name",
       gpx(wpt + "<name> A &amp; B &#x263a;&#65;<![CDATA[<c>&amp;]]><!-- x -->&lt;d&gt;&quot;&apos; </name></wpt>"), Read},
      {"prefixed names, extensions with names of their own",
       gpx("<g:wpt xmlns:g='urn:g' lat='54.5' lon = \"-3.25\"><extensions><x:e xmlns:x=\"urn:x\"><x:name>no</x:name>"
       "<name>no<name/></name></x:e></extensions><g:name>yes</g:name><cmt>c</cmt><ele>\r\n 12.5 </ele></g:wpt>"),
       Read},
      {"coordinates by reference, spaced; Unicode names and text",
       gpx("<wpt lat=\"&#53;2.5\" lon=\" 5\t\"><Ærø_港>x</Ærø_港><name>Ærøskøbing\r\nhavn</name><time>2026-06-02T12:15:30+02:00</time>"
       "</wpt><rte><name>R</name><rtept lat=\"-90\" lon=\"180\"/><?pi data?></rte><trk><trkseg/><trkseg><trkpt "
       "lat=\"1e1\" lon=\"+2.\"><time>2026-06-02T10:15:30.5Z</time></trkpt></trkseg></trk>"),
       Read},
      {"declaration, comment and instruction before the root",
       "\xEF\xBB\xBF<?xml version='1.0' encoding=\"utf-8\" standalone='no'?>\n<!-- c --><?style x?>\n<gpx "
       "xmlns='http://www.topografix.com/GPX/1/1'><wpt lat='1' lon='2'/></gpx>trailing text Qt never reads",
       Read},
      {"mismatched tag", gpx(wpt + "<name>A</nam></wpt>"), Failed},
      {"unclosed root", "<gpx>" + wpt + "</wpt>", Failed},
      {"unquoted attribute", gpx("<wpt lat=1 lon=\"2\"/>"), Failed},
      {"quotes that do not pair", gpx("<wpt lat=\"1' lon=\"2\"/>"), Failed},
      {"latitude out of range", gpx("<wpt lat=\"90.5\" lon=\"2\"/>"), Failed},
      {"latitude not a number", gpx("<trk><trkseg><trkpt lat=\"nan\" lon=\"2\"/></trkseg></trk>"), Failed},
      {"undeclared entity", gpx(wpt + "<name>&nbsp;</name></wpt>"), Failed},
      {"undeclared prefix", gpx("<x:wpt lat=\"1\" lon=\"2\"/>"), Failed},
      {"attribute twice", gpx("<wpt lat=\"1\" lat=\"1\" lon=\"2\"/>"), Failed},
      {"element inside a name", gpx(wpt + "<name>a<b/></name></wpt>"), Failed},
      {"]]> in text", gpx(wpt + "<name>a]]>b</name></wpt>"), Failed},
      {"-- in a comment", gpx("<!-- a -- b -->"), Failed},
      {"invalid character reference", gpx(wpt + "<desc>&#1;</desc></wpt>"), Failed},
      {"bytes that are not UTF-8", gpx(wpt + "<name>\xC3\x28</name></wpt>"), Failed},
      {"not GPX", "<kml/>", Failed},
      {"a DOCTYPE", "<!DOCTYPE gpx><gpx>" + wpt + "</wpt></gpx>", Unsupported},
      {"Latin-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><gpx>" + wpt + "<name>\xC6r\xF8</name></wpt></gpx>",
       Unsupported},
  };
  auto agree = [](const QByteArray& bytes, GpxScan expected, std::string* shown = nullptr) {
    GpxDocument scanned, qt, read;
    QString scanError, qtError, readError;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(scanGpx(bytes, scanned, scanError), expected) << scanError.toStdString();
    const bool qtRead = readGpxWithQt(buffer, qt, qtError);
    buffer.seek(0);
    EXPECT_EQ(readGpx(buffer, read, readError), qtRead);
    EXPECT_EQ(readError, qtError);
    if (expected == GpxScan::Failed) {
      EXPECT_FALSE(qtRead);
      EXPECT_TRUE(scanned.waypoints.empty() && scanned.routes.empty() && scanned.tracks.empty());
      EXPECT_FALSE(scanError.isEmpty());
    }
    if (expected != GpxScan::Read) return;
    ASSERT_TRUE(qtRead) << qtError.toStdString();
    expectSame(scanned, qt);
    auto details = [](const GpxDocument& d) {
      QStringList out;
      for (const auto& p : d.waypoints)
        out << p.name << p.description << QString::number(p.elevation.value_or(-1)) << p.time.toString(Qt::ISODateWithMs);
      for (const auto& t : d.tracks)
        for (const auto& s : t.segments)
          for (const auto& p : s) out << QString::number(p.lon, 'g', 17) << p.time.toString(Qt::ISODateWithMs);
      return out.join(QLatin1Char('|')).toStdString();
    };
    EXPECT_EQ(details(scanned), details(qt));
    if (shown) *shown = details(scanned);
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    agree(QByteArray::fromStdString(r.xml), r.scan);
  }
  std::string shown;
  agree(QByteArray::fromStdString(rows[0].xml), Read, &shown);
  EXPECT_EQ(shown, "A & B \xE2\x98\xBA" "A<c>&amp;<d>\"'||-1|");
  // The reference files and what GPSBabel writes: all the scanner's.
  QTemporaryDir dir;
  QStringList files;
  for (const char* f : {"expertgps.gpx", "segmented_tracks.gpx", "bend-input.gpx", "bounds-test.gpx", "tpo-sample1.gpx"})
    files << testDataFile(QStringLiteral("gpx/") + QLatin1String(f));
  if (!QStandardPaths::findExecutable(QStringLiteral("gpsbabel")).isEmpty()) {
    throughGpsbabel(dir, readData(QStringLiteral("expertgps.gpx")));
    files << dir.filePath(QStringLiteral("back.gpx"));
  }
  for (const QString& f : files) {
    SCOPED_TRACE(f.toStdString());
    QFile file(f);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    agree(file.readAll(), Read);
  }
}

struct DbRig {
  QTemporaryDir dir;
  Database db;
  DatabaseDatumLookup datums{db};
  DbRig() { createMainDatabase(db, dir.filePath(QStringLiteral("gps.db")), QDateTime(QDate(2026, 12, 7), QTime(12, 0))); }
  int count(const char* table) { return db.scalar(QStringLiteral("SELECT COUNT(*) FROM [%1]").arg(table)).toInt(); }
};

TEST(Gpx, ImportStoresEverythingInItsGroupAndExportGivesTheSameDocumentBack) {
  DbRig rig;
  GpxImportResult result;
  QString error;
  const QString file = testDataFile(QStringLiteral("gpx/expertgps.gpx"));
  ASSERT_TRUE(importGpxFile(rig.db, file, result, error)) << error.toStdString();
  EXPECT_EQ(result.group.toStdString(), "expertgps");
  EXPECT_EQ(result.waypoints, 86);
  EXPECT_EQ(result.routePoints, 46);
  EXPECT_EQ(result.trackPoints, 64);
  const int waypointRows = rig.count("Waypoints");
  ASSERT_TRUE(importGpxFile(rig.db, testDataFile(QStringLiteral("gpx/segmented_tracks.gpx")), result, error));

  GpxDocument all;
  ASSERT_TRUE(collectGpx(rig.db, rig.datums, {}, all, error)) << error.toStdString();
  EXPECT_EQ(all.waypoints.size(), static_cast<size_t>(rig.count("Waypoints")));
  EXPECT_EQ(rig.count("Waypoints"), waypointRows);
  // The tracks come back with their segments (break rows between them).
  GpxDocument named;
  const GpxDocument segmented = readData(QStringLiteral("segmented_tracks.gpx"));
  GpxSelection pick;
  for (const GpxTrack& t : segmented.tracks) pick.tracks << t.name;
  ASSERT_TRUE(collectGpx(rig.db, rig.datums, pick, named, error)) << error.toStdString();
  GpxDocument expected;
  expected.tracks = segmented.tracks;
  for (auto& t : expected.tracks)
    for (auto& s : t.segments)
      for (auto& pt : s) pt.name.clear();
  expectSame(expected, named);
  // The route keeps its points in order, and a second import does not overwrite.
  const GpxDocument expert = readData(QStringLiteral("expertgps.gpx"));
  ASSERT_TRUE(importGpxFile(rig.db, file, result, error));
  EXPECT_EQ(result.group.toStdString(), "expertgps (2)");
  GpxSelection route;
  route.routes << expert.routes[0].name;
  GpxDocument r;
  ASSERT_TRUE(collectGpx(rig.db, rig.datums, route, r, error));
  ASSERT_EQ(r.routes.at(0).points.size(), expert.routes[0].points.size());
  for (size_t i = 0; i < r.routes[0].points.size(); ++i) {
    EXPECT_NEAR(r.routes[0].points[i].lat, expert.routes[0].points[i].lat, 1e-7);
    EXPECT_NEAR(r.routes[0].points[i].lon, expert.routes[0].points[i].lon, 1e-7);
  }
  route.routes = QStringList{"no such route"};
  EXPECT_FALSE(collectGpx(rig.db, rig.datums, route, r, error));
  EXPECT_EQ(error.toStdString(), "no route named \"no such route\"");
}

TEST(Gpx, BrokenFilesGiveAClearMessageAndLeaveTheDatabaseAsItWas) {
  const std::string head = "<?xml version=\"1.0\"?><gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">";
  struct Row {
    const char* legend;
    std::string text;
    const char* message;  // part of the error
  } rows[] = {
      {"not XML", "this is no GPX file", "line 1"},
      {"another root", "<?xml version=\"1.0\"?><kml></kml>", "no <gpx> element"},
      {"latitude out of range", head + "<wpt lat=\"91\" lon=\"5\"/></gpx>", "lat \"91\""},
      {"longitude missing", head + "<wpt lat=\"52\"><name>A</name></wpt></gpx>", "no valid lat and lon"},
      {"bad point late in a track",
       head + "<wpt lat=\"1\" lon=\"2\"/><trk><trkseg><trkpt lat=\"1\" lon=\"2\"/>\n<trkpt lat=\"x\" lon=\"2\"/></trkseg></trk></gpx>",
       "line 2"},
      {"cut off", head + "<wpt lat=\"1\" lon=\"2\"><name>A</name>", "line 1"},
  };
  DbRig rig;
  const int before = rig.count("Waypoints") + rig.count("Waypoint groups") + rig.count("Tracks");
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    const QString path = rig.dir.filePath(QStringLiteral("bad.gpx"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(r.text.data(), static_cast<qint64>(r.text.size()));
    f.close();
    GpxImportResult result;
    QString error;
    EXPECT_FALSE(importGpxFile(rig.db, path, result, error));
    EXPECT_TRUE(error.contains(QLatin1String(r.message))) << error.toStdString();
    EXPECT_TRUE(error.startsWith(QLatin1String("bad.gpx, "))) << error.toStdString();
    EXPECT_EQ(rig.count("Waypoints") + rig.count("Waypoint groups") + rig.count("Tracks"), before);
  }
}

}  // namespace
}  // namespace tavrik::test
