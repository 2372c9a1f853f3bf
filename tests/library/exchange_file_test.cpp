// Exchange files: waypoints with memo and proximity records, routes, tracks, and
// the damaged files.
#include <QFile>

#include "library/exchange_file.h"
#include "library_test_db.h"

using namespace tavrik;

namespace {

QByteArray records(std::initializer_list<ExchangeRecord> list) {
  QByteArray out;
  for (const ExchangeRecord& r : list) out += exchangeRecordBytes(r);
  return out;
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

}  // namespace

TEST(ExchangeFile, RecordLayout) {
  // Bytes as the old program wrote them: kind, 25 blank-padded ANSI characters, two
  // little-endian floats.
  const QByteArray bytes = QByteArray("AHaringvliet \xe9") + QByteArray(12, ' ') +
                           QByteArray::fromHex("0000524200008840") + "xyz";
  ASSERT_EQ(bytes.size(), 37);
  const ExchangeRecords r = parseExchangeRecords(bytes);
  ASSERT_EQ(r.records.size(), 1u);
  EXPECT_EQ(r.trailingBytes, 3);
  EXPECT_EQ(r.records[0].kind, 'A');
  EXPECT_EQ(r.records[0].text.trimmed(), QString::fromUtf8("Haringvliet é"));
  EXPECT_EQ(r.records[0].first, 52.5f);
  EXPECT_EQ(r.records[0].second, 4.25f);
  EXPECT_EQ(exchangeRecordBytes(r.records[0]), bytes.left(34));
}

TEST(ExchangeFile, Waypoints) {
  LibraryTestDb t;
  ASSERT_TRUE(t.db.execute("INSERT INTO Waypoints (description, latitude, longitude, memo, proximity, approachable) "
                           "VALUES ('Skipper''s Rock', 10, 20, ' ', 0, -1)").ok());
  writeFile(t.path("w.WP"), records({{'A', "Skipper's Rock", 53, 5},
                                     {'P', "", 0.25f, 0},
                                     {'1', "one", 0, 0},
                                     {'2', "two", 0, 0},
                                     {'Z', "unknown", 0, 0},
                                     {'A', "New one", 52.5f, -4.25f},
                                     {'3', "orphan?", 0, 0}}) +
                                "half");
  const ImportOutcome out = importWaypointFile(t.db, t.path("w.WP"), {7, t.now});
  ASSERT_TRUE(out.ok) << out.error.toStdString();
  EXPECT_EQ(out.warnings.size(), 2);  // the partial record and the unknown kind
  const auto rows = t.db.rows("SELECT description, latitude, longitude, proximity, approachable, memo, Datum "
                              "FROM Waypoints ORDER BY Waypoint");
  ASSERT_EQ(rows.size(), 2u);
  // The existing waypoint keeps its position and takes the proximity and memo.
  EXPECT_EQ(rows[0][1].toDouble(), 10);
  EXPECT_EQ(rows[0][3].toDouble(), 0.25);
  EXPECT_EQ(rows[0][4].toInt(), 0);
  EXPECT_EQ(rows[0][5].toString(), "one\r\ntwo");
  EXPECT_EQ(rows[1][0].toString(), "New one");
  EXPECT_EQ(rows[1][2].toDouble(), -4.25);
  EXPECT_EQ(rows[1][5].toString(), " \r\norphan?");
  EXPECT_EQ(rows[1][6].toInt(), 7);
  EXPECT_EQ(t.db.scalar("SELECT description FROM [Waypoint groups] WHERE [Group] = "
                        "(SELECT [Group] FROM Waypoints WHERE description = 'New one')").toString(),
            QString(t.dir.path() + "/"));
}

TEST(ExchangeFile, RoutesAndTracks) {
  LibraryTestDb t;
  writeFile(t.path("r.RT"), records({{'x', "", 52, 4}, {'x', "", 52.5f, 4}, {'x', "", 53, 4}}));
  for (int pass = 0; pass < 2; ++pass) ASSERT_TRUE(importRouteFile(t.db, t.path("r.RT"), {0, t.now}).ok);
  const QString route = t.dir.path() + "/ 0";
  EXPECT_EQ(t.db.scalar("SELECT description FROM Routes").toString(), route);
  QStringList names;
  for (const auto& r : t.db.rows("SELECT Waypoints.description FROM [Route points], Waypoints "
                                 "WHERE [Route points].Waypoint = Waypoints.Waypoint ORDER BY [Route points].Sequence"))
    names << r[0].toString();
  EXPECT_EQ(names, (QStringList{route + " 1", route + " 2", route + " 3"}));  // read again: same route, same points

  writeFile(t.path("a.TRC"), records({{'T', "", 52, 4}, {'T', "", 52.1f, 4.1f}}));
  writeFile(t.path("b.TRC"), records({{'T', "", 52.2f, 4.2f}}));
  ASSERT_TRUE(importTrackFile(t.db, t.path("a.TRC"), {0, t.now}).ok);
  ASSERT_TRUE(importTrackFile(t.db, t.path("b.TRC"), {0, t.now}).ok);
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM Tracks"), 1);
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM [Track data]"), 3);
  EXPECT_FLOAT_EQ(t.db.scalar("SELECT latitude FROM [Track data] ORDER BY rowid DESC").toFloat(), 52.2f);
}
