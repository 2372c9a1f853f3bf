#include "store/database.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "geo/datum_catalogue.h"
#include "store/db_datum_lookup.h"
#include "store/schema.h"
#include "store/sql_text.h"

namespace tavrik {
namespace {

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    path = dir.filePath(QStringLiteral("gps.db"));
    ASSERT_TRUE(createMainDatabase(db, path, QDateTime(QDate(2026, 12, 7), QTime(10, 0))).ok());
  }
  QTemporaryDir dir;
  QString path;
  Database db;
};

TEST(SqlText, QuoteDoublesSingleQuotes) {
  EXPECT_EQ(sqlQuote(QStringLiteral("Skipper's Rock")), QStringLiteral("'Skipper''s Rock'"));
  EXPECT_EQ(sqlEquals(QStringLiteral("description"), QStringLiteral("O'Neil's")), QStringLiteral("description = 'O''Neil''s'"));
  EXPECT_EQ(sqlEquals(QStringLiteral("Entry type"), QStringLiteral("x")), QStringLiteral("[Entry type] = 'x'"));
  EXPECT_EQ(sqlQuotedList({QStringLiteral("a'b"), QStringLiteral("c")}), QStringLiteral("'a''b','c'"));
}

TEST(SqlText, TranslatesJetDialect) {
  struct Row {
    const char* legend;
    const char* jet;
    const char* sqlite;
  } rows[] = {
      {"date with PM", "Date >= #12/07/2026 10:15:00 PM#", "Date >= '2026-12-07T22:15:00'"},
      {"date with 12 AM", "Date <= #01/02/2026 12:00:01 AM#", "Date <= '2026-01-02T00:00:01'"},
      {"date only", "d = #12/31/2025#", "d = '2025-12-31T00:00:00'"},
      {"24-hour time", "d < #3/4/2026 17:05:09#", "d < '2026-03-04T17:05:09'"},
      {"hash in a string stays", "x = '#1/1/2000#'", "x = '#1/1/2000#'"},
      {"true and false", "SET a = True, b = false", "SET a = -1, b = 0"},
      {"like wildcards", "description LIKE 'Sk*p?'", "description LIKE 'Sk%p_'"},
      {"reserved field name", "WHERE Waypoints.Group IN (1) ORDER BY GROUP, DESCRIPTION",
       "WHERE Waypoints.[Group] IN (1) ORDER BY [GROUP], DESCRIPTION"},
      {"group by stays", "SELECT a FROM t GROUP BY a", "SELECT a FROM t GROUP BY a"},
      {"quote inside string", "x = 'it''s #1/1/2000#'", "x = 'it''s #1/1/2000#'"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    EXPECT_EQ(translateJetSql(QString::fromUtf8(r.jet)), QString::fromUtf8(r.sqlite));
  }
  InsertIntoFile into;
  ASSERT_TRUE(parseInsertIntoFile(QStringLiteral("INSERT INTO Datums IN '/tmp/o''k.db' SELECT * FROM Datums"), &into));
  EXPECT_EQ(into.table, QStringLiteral("Datums"));
  EXPECT_EQ(into.file, QStringLiteral("/tmp/o'k.db"));
  EXPECT_EQ(into.rest, QStringLiteral("SELECT * FROM Datums"));
}

// Every table takes a row through AddNew/Update and gives it back.
TEST_F(StoreTest, EveryTableWrittenAndReadBack) {
  for (const TableDef& t : mainSchemaTables()) {
    SCOPED_TRACE(t.name.toStdString());
    auto rs = db.openRecordset(t.name);
    ASSERT_TRUE(rs->lastResult().ok()) << rs->lastResult().detail.toStdString();
    const int before = rs->recordCount();
    ASSERT_TRUE(rs->addNew().ok());
    int n = 0;
    for (const FieldDef& f : t.fields) {
      if (f.counter) continue;
      QVariant v;
      switch (f.type) {
        case FieldType::Boolean: v = true; break;
        case FieldType::Text:
        case FieldType::Memo: v = QStringLiteral("Skipper's Rock %1").arg(n); break;
        case FieldType::Date: v = QDateTime(QDate(2026, 5, 1), QTime(13, 14, 15)); break;
        case FieldType::Single: v = 1.5; break;
        case FieldType::Double: v = 52.123456789 + n; break;
        default: v = 1000 + n;
      }
      // Keys of the seeded tables must not collide; datum 0 must exist for the relations.
      if (f.name.compare(QLatin1String("Datum"), Qt::CaseInsensitive) == 0 && t.name != QLatin1String("Datums")) v = 0;
      ++n;
      ASSERT_TRUE(rs->setValue(f.name, v).ok()) << f.name.toStdString();
    }
    const StoreResult r = rs->update();
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    rs->close();
    auto back = db.openRecordset(t.name);
    EXPECT_EQ(back->recordCount(), before + 1);
    back->moveLast();
    n = 0;
    for (const FieldDef& f : t.fields) {
      if (f.counter) {
        EXPECT_GT(back->integer(f.name), 0);
        continue;
      }
      const QString name = f.name;
      switch (f.type) {
        case FieldType::Boolean: EXPECT_EQ(back->integer(name), -1) << name.toStdString(); break;
        case FieldType::Text:
        case FieldType::Memo: EXPECT_EQ(back->text(name), QStringLiteral("Skipper's Rock %1").arg(n)); break;
        case FieldType::Date:
          EXPECT_EQ(back->text(name), QStringLiteral("2026-05-01T13:14:15"));
          EXPECT_EQ(back->date(name), QDateTime(QDate(2026, 5, 1), QTime(13, 14, 15)));
          break;
        case FieldType::Single: EXPECT_DOUBLE_EQ(back->number(name), 1.5); break;
        case FieldType::Double: EXPECT_DOUBLE_EQ(back->number(name), 52.123456789 + n); break;
        default:
          if (name.compare(QLatin1String("Datum"), Qt::CaseInsensitive) == 0 && t.name != QLatin1String("Datums"))
            EXPECT_EQ(back->integer(name), 0);
          else
            EXPECT_EQ(back->integer(name), 1000 + n) << name.toStdString();
      }
      ++n;
    }
  }
}

TEST_F(StoreTest, FindFirstWithQuotedNamesAndAnyCase) {
  auto rs = db.openRecordset(QStringLiteral("waypoints"));  // table name in any case
  for (const char* name : {"Skipper's Rock", "Plain", "O'Neil's ''Reef''"}) {
    ASSERT_TRUE(rs->addNew().ok());
    rs->setValue(QStringLiteral("Description"), QString::fromUtf8(name));
    rs->setValue(QStringLiteral("LATITUDE"), 52.0);
    rs->setValue(QStringLiteral("Datum"), 0);
    ASSERT_TRUE(rs->update().ok());
  }
  for (const char* name : {"Skipper's Rock", "O'Neil's ''Reef''", "skipper's rock"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(rs->findFirst(sqlEquals(QStringLiteral("description"), QString::fromUtf8(name))));
    EXPECT_FALSE(rs->noMatch());
    EXPECT_EQ(rs->text(QStringLiteral("description")).toLower(), QString::fromUtf8(name).toLower());
  }
  EXPECT_FALSE(rs->findFirst(sqlEquals(QStringLiteral("description"), QStringLiteral("Skipper"))));
  EXPECT_TRUE(rs->noMatch());
  // An SQL text built with the helper finds it too.
  auto q = db.openRecordset(QStringLiteral("SELECT * FROM Waypoints WHERE ") +
                            sqlEquals(QStringLiteral("Description"), QStringLiteral("Skipper's Rock")));
  EXPECT_EQ(q->recordCount(), 1);
  EXPECT_TRUE(q->updatable());
}

TEST_F(StoreTest, DuplicateKeyIsError3022) {
  auto rs = db.openRecordset(QStringLiteral("Waypoints"));
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(rs->addNew().ok());
    rs->setValue(QStringLiteral("description"), QStringLiteral("Twice"));
    const StoreResult r = rs->update();
    if (i == 0) EXPECT_TRUE(r.ok());
    else {
      EXPECT_EQ(r.error, DbError::DuplicateKey);
      EXPECT_TRUE(rs->editing());  // the buffer stays for a correction
      rs->cancelUpdate();
    }
  }
  EXPECT_EQ(db.execute(QStringLiteral("INSERT INTO Waypoints (description) VALUES ('twice')")).error, DbError::DuplicateKey);
  EXPECT_EQ(rs->recordCount(), 1);
}

TEST_F(StoreTest, EditDeleteAndMoves) {
  auto rs = db.openRecordset(QStringLiteral("Routes"));
  for (int i = 0; i < 5; ++i) {
    rs->addNew();
    rs->setValue(QStringLiteral("description"), QStringLiteral("R%1").arg(i));
    ASSERT_TRUE(rs->update().ok());
  }
  rs->requery();
  ASSERT_TRUE(rs->findFirst(QStringLiteral("description = 'R2'")));
  ASSERT_TRUE(rs->edit().ok());
  rs->setValue(QStringLiteral("description"), QStringLiteral("Renamed"));
  ASSERT_TRUE(rs->update().ok());
  ASSERT_TRUE(rs->findFirst(QStringLiteral("description = 'R3'")));
  ASSERT_TRUE(rs->remove().ok());
  EXPECT_EQ(rs->remove().error, DbError::NoCurrentRecord);
  QStringList seen;
  for (rs->moveFirst(); !rs->eof(); rs->moveNext()) seen << rs->text(QStringLiteral("description"));
  EXPECT_EQ(seen, (QStringList{"R0", "R1", "Renamed", "R4"}));
  auto sorted = db.openRecordset(QStringLiteral("SELECT * FROM [Routes] OrdER BY description"));
  seen.clear();
  for (; !sorted->eof(); sorted->moveNext()) seen << sorted->text(QStringLiteral("DESCRIPTION"));
  EXPECT_EQ(seen, (QStringList{"R0", "R1", "R4", "Renamed"}));
  EXPECT_EQ(rs->edit().error, DbError::NoCurrentRecord);  // at EOF
  EXPECT_EQ(rs->setValue(QStringLiteral("description"), 1).error, DbError::UpdateWithoutAddNew);
  rs->moveFirst();
  EXPECT_EQ(rs->value(QStringLiteral("nosuchfield")), QVariant());
  EXPECT_EQ(rs->lastResult().error, DbError::ItemNotFound);
}

TEST_F(StoreTest, AddNewShowsTheCounterBeforeAndAfterUpdate) {
  auto rs = db.openRecordset(QStringLiteral("Tracks"));
  rs->addNew();
  const qint64 predicted = rs->integer(QStringLiteral("Track"));
  rs->setValue(QStringLiteral("description"), QStringLiteral("t1"));
  ASSERT_TRUE(rs->update().ok());
  ASSERT_TRUE(rs->moveTo(rs->lastModified()));
  EXPECT_EQ(rs->integer(QStringLiteral("Track")), predicted);
  EXPECT_EQ(db.lastInsertId(), predicted);
}

TEST_F(StoreTest, RoutePointsKeepTheirOrderThroughTheJoinQueries) {
  auto wp = db.openRecordset(QStringLiteral("Waypoints"));
  QList<qint64> keys;
  for (const char* n : {"C", "A", "B"}) {
    wp->addNew();
    keys << wp->integer(QStringLiteral("Waypoint"));
    wp->setValue(QStringLiteral("description"), QString::fromUtf8(n));
    ASSERT_TRUE(wp->update().ok());
  }
  ASSERT_TRUE(db.execute(QStringLiteral("INSERT INTO Routes (description) VALUES ('r')")).ok());
  const qint64 route = db.lastInsertId();
  auto rp = db.openRecordset(QStringLiteral("Route points"));
  for (qint64 k : keys) {
    rp->addNew();
    rp->setValue(QStringLiteral("Route"), route);
    rp->setValue(QStringLiteral("Waypoint"), k);
    ASSERT_TRUE(rp->update().ok());
  }
  const QString base = QStringLiteral("SELECT Waypoints.* FROM [Route points], Waypoints ") +
                       " WHERE [Route points].Waypoint = Waypoints.Waypoint" + " AND [Route points].Route = " +
                       QString::number(route);
  struct Row {
    const char* legend;
    const char* order;
    QStringList want;
  } rows[] = {{"plain", " OrdER BY [Route points].Sequence", {"C", "A", "B"}},
              {"asc", " OrdER BY [Route points].Sequence asc", {"C", "A", "B"}},
              {"desc", " OrdER BY [Route points].Sequence desc", {"B", "A", "C"}}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    auto rs = db.openRecordset(base + QString::fromUtf8(r.order));
    ASSERT_TRUE(rs->lastResult().ok()) << rs->lastResult().detail.toStdString();
    EXPECT_EQ(rs->baseTable(), QStringLiteral("Waypoints"));
    QStringList got;
    for (; !rs->eof(); rs->moveNext()) got << rs->text(QStringLiteral("description"));
    EXPECT_EQ(got, r.want);
  }
  auto count = db.openRecordset(QStringLiteral(" SELECT COUNT(*) AS TOTAL FROM [Route points]") + " WHERE Route = " +
                                QString::number(route));
  EXPECT_EQ(count->integer(QStringLiteral("total")), 3);
  EXPECT_FALSE(count->updatable());
}

TEST_F(StoreTest, TransactionsRollBackAndNest) {
  ASSERT_TRUE(db.beginTrans().ok());
  db.execute(QStringLiteral("INSERT INTO Zones (Name) VALUES ('outer')"));
  ASSERT_TRUE(db.beginTrans().ok());
  db.execute(QStringLiteral("INSERT INTO Zones (Name) VALUES ('inner')"));
  ASSERT_TRUE(db.rollback().ok());
  ASSERT_TRUE(db.commitTrans().ok());
  auto rs = db.openRecordset(QStringLiteral("SELECT * FROM [Zones] OrdER BY Name"));
  EXPECT_EQ(rs->recordCount(), 1);
  EXPECT_EQ(rs->text(QStringLiteral("name")), QStringLiteral("outer"));
  ASSERT_TRUE(db.beginTrans().ok());
  db.execute(QStringLiteral("DELETE FROM Zones"));
  ASSERT_TRUE(db.rollback().ok());
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM Zones")).toInt(), 1);
  EXPECT_EQ(db.commitTrans().error, DbError::Transaction);
}

TEST_F(StoreTest, LogDeletionWithJetDates) {
  auto log = db.openRecordset(QStringLiteral("Log"));
  for (int h : {8, 12, 23}) {
    log->addNew();
    log->setValue(QStringLiteral("Entry type"), 1);
    log->setValue(QStringLiteral("date"), QDateTime(QDate(2026, 12, 6), QTime(h, 0)));
    ASSERT_TRUE(log->update().ok());
  }
  const StoreResult r = db.execute(QStringLiteral("DELETE FROM Log ") + " WHERE [Entry type] IN (1)" +
                                   " AND Date >= #12/06/2026 10:00:00 AM#" + " AND Date <= #12/06/2026 11:00:00 PM#");
  ASSERT_TRUE(r.ok()) << r.detail.toStdString();
  EXPECT_EQ(db.recordsAffected(), 2);
  auto joined = db.openRecordset(QStringLiteral("SELECT * FROM Log, [Log entry types] ") +
                                 " WHERE Log.[Entry type] = [Log entry types].[Entry type] " +
                                 " AND Log.[Entry type] IN (1)" + " ORDER BY Date");
  ASSERT_TRUE(joined->lastResult().ok()) << joined->lastResult().detail.toStdString();
  EXPECT_EQ(joined->recordCount(), 1);
  EXPECT_EQ(joined->text(QStringLiteral("description")), QStringLiteral("GPS"));
}

TEST_F(StoreTest, RelationCascadesDatumKeyChange) {
  db.execute(QStringLiteral("INSERT INTO Waypoints (description, Datum) VALUES ('w', 1)"));
  ASSERT_TRUE(db.execute(QStringLiteral("UPDATE Datums SET datum = 500 WHERE datum = 1")).ok());
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT Datum FROM Waypoints WHERE description = 'w'")).toInt(), 500);
  EXPECT_EQ(db.execute(QStringLiteral("INSERT INTO Waypoints (description, Datum) VALUES ('x', 99999)")).error,
            DbError::RelatedRecordRequired);
  // A datum still in use is not deleted.
  EXPECT_EQ(db.execute(QStringLiteral("DELETE FROM Datums WHERE datum = 500")).error, DbError::CannotDeleteRelated);
  auto datums = db.openRecordset(QStringLiteral("Datums"));
  ASSERT_TRUE(datums->findFirst(QStringLiteral("datum = 500")));
  EXPECT_EQ(datums->remove().error, DbError::CannotDeleteRelated);
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM Datums WHERE datum = 500")).toInt(), 1);
  const auto rels = db.relations();
  ASSERT_EQ(rels.size(), 2u);
  EXPECT_EQ(rels[0].name, QStringLiteral("Datum"));
  EXPECT_EQ(rels[1].name, QStringLiteral("Zone datum"));
  EXPECT_TRUE(rels[1].cascadeUpdate);
  EXPECT_FALSE(rels[1].cascadeDelete);
}

TEST_F(StoreTest, SchemaChangesKeepRows) {
  db.execute(QStringLiteral("INSERT INTO Ships (Name, speed) VALUES ('Skipper''s Rock', 4.5)"));
  ASSERT_TRUE(db.appendField(QStringLiteral("ships"), FieldDef::of(QStringLiteral("Extra"), FieldType::Single)).ok());
  EXPECT_EQ(db.appendField(QStringLiteral("Ships"), FieldDef::of(QStringLiteral("extra"), FieldType::Long)).error,
            DbError::FieldExists);
  ASSERT_TRUE(db.renameField(QStringLiteral("Ships"), QStringLiteral("EXTRA"), QStringLiteral("More")).ok());
  EXPECT_TRUE(db.hasField(QStringLiteral("Ships"), QStringLiteral("more")));
  // Name carries a unique index: dropping it rebuilds the table.
  ASSERT_TRUE(db.deleteField(QStringLiteral("Ships"), QStringLiteral("Name")).ok());
  EXPECT_FALSE(db.hasField(QStringLiteral("Ships"), QStringLiteral("Name")));
  EXPECT_DOUBLE_EQ(db.scalar(QStringLiteral("SELECT speed FROM Ships")).toDouble(), 4.5);
  EXPECT_EQ(db.deleteField(QStringLiteral("Ships"), QStringLiteral("Name")).error, DbError::ItemNotFound);
  EXPECT_EQ(db.openRecordset(QStringLiteral("NoSuchTable"))->lastResult().error, DbError::TableNotFound);
}

// The program's query texts run as they stand.
TEST_F(StoreTest, TheProgramsQueriesRun) {
  for (const char* sql : {
           "INSERT INTO Folders (description) VALUES ('F')", "INSERT INTO Charts (description) VALUES ('C')",
           "INSERT INTO [Folder charts] (Folder, Chart) VALUES (1, 1)",
           "INSERT INTO Waypoints (description, Type, [Group], latitude, longitude, proximity, Datum) VALUES ('W', 1, 1, 52, 4, 0.1, 0)",
           "INSERT INTO Routes (description) VALUES ('R')", "INSERT INTO [Route points] (Route, Waypoint) VALUES (1, 1)",
           "INSERT INTO Zones (Name) VALUES ('Z')", "INSERT INTO [Zone points] (Zone, latitude, longitude, Datum) VALUES (1, 1, 1, 0)",
           "INSERT INTO Tracks (description) VALUES ('T')", "INSERT INTO [Track data] (Track, latitude) VALUES (1, 2)",
           "INSERT INTO Log ([Entry type], date) VALUES (1, '2026-12-06T12:00:00')",
           "INSERT INTO Ships (Name) VALUES ('S')", "INSERT INTO Telephone (Name) VALUES ('T')"})
    ASSERT_TRUE(db.execute(QString::fromUtf8(sql)).ok()) << sql;
  struct Row {
    QString sql;
    int rows;
  } rows[] = {
      {QStringLiteral("SELECT Charts.* FROM [Folder charts], Charts ") + " WHERE [Folder charts].Chart = Charts.chart" +
           " AND [Folder charts].Folder = " + "1",
       1},
      {QStringLiteral("SELECT Charts.* From [Folder charts], Charts") + " WHERE Folder = " + "1" +
           " AND Charts.chart = [Folder charts].chart",
       1},
      {QStringLiteral("SELECT DESCRIPTION FROM Folders, [Folder charts]") + " WHERE Folders.Folder = [Folder charts].Folder" +
           " AND [Folder charts].Chart = " + "1",
       1},
      {QStringLiteral("SELECT * FROM [Folder charts] WHERE Folder = 1 AND Chart = 1"), 1},
      {QStringLiteral("SELECT * FROM [Route points] WHERE Route = 1 ORDER BY [Route points].Sequence"), 1},
      {QStringLiteral(" SELECT COUNT(*) AS TOTAL FROM [Route points]") + " WHERE Route = 1", 1},
      {QStringLiteral("SELECT Waypoints.* FROM Waypoints, [Waypoint types], [Waypoint groups] ") +
           " WHERE Waypoints.Type = [Waypoint types].Type" + " AND Waypoints.Group = [Waypoint groups].Group" +
           " AND [Waypoint groups].Description IN (" + sqlQuotedList({"General", "Skipper's"}) + ")" +
           " AND [Waypoint types].Description IN (" + sqlQuotedList({"waypoint"}) + ")" + " OrdER BY Waypoints.description",
       1},
      {QStringLiteral("SELECT * FROM Waypoints ") + " WHERE Waypoints.Group IN (1)" + " AND Type IN (1)" +
           " AND Latitude < 53" + " AND Latitude > 51" + " AND Longitude < 5" + " AND Longitude > 3" + " OrdER BY description",
       1},
      {QStringLiteral("SELECT * FROM Waypoints ") + " WHERE Type IN (1)" + " AND Proximity > 0" + " ORDER BY GROUP, DESCRIPTION", 1},
      {QStringLiteral("SELECT * FROM [Zone Points] ") + " WHERE Zone = 1" + " OrdER BY Point", 1},
      {QStringLiteral("SELECT * FROM [Tracks] ORDER BY description"), 1},
      {QStringLiteral("SELECT * FROM [Track data] WHERE Track = 1"), 1},
      {QStringLiteral("SELECT * FROM [Folders] OrdER BY description"), 1},
      {QStringLiteral("SELECT * FROM [Routes] OrdER BY description"), 1},
      {QStringLiteral("SELECT * FROM [Waypoint types] ORDER BY description"), 1},
      {QStringLiteral("SELECT * FROM [Waypoint groups] OrdER BY description"), 1},
      {QStringLiteral("SELECT * FROM [Zones] OrdER BY Name"), 1},
      {QStringLiteral("SELECT * FROM Ships OrdER BY name"), 1},
      {QStringLiteral("SELECT * FROM Telephone OrdER BY NAME"), 1},
      {QStringLiteral("SELECT * FROM Datums WHERE DATUM > 0 ORDER BY description"), db.scalar("SELECT count(*) - 1 FROM Datums").toInt()},
      {QStringLiteral("SELECT * FROM Ellipsoids WHERE Ellipse > 0 ORDER BY description"),
       db.scalar("SELECT count(*) - 1 FROM Ellipsoids").toInt()},
      {QStringLiteral("SELECT * FROM Version"), 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.sql.toStdString());
    auto rs = db.openRecordset(r.sql);
    ASSERT_TRUE(rs->lastResult().ok()) << rs->lastResult().detail.toStdString();
    EXPECT_EQ(rs->recordCount(), r.rows);
  }
  for (const char* sql : {"DELETE FROM [Route points] WHERE Route = 1", "DELETE FROM [Zone points] WHERE Zone = 1",
                          "DELETE FROM Zones WHERE Zone = 1"}) {
    SCOPED_TRACE(sql);
    EXPECT_TRUE(db.execute(QString::fromUtf8(sql)).ok());
    EXPECT_EQ(db.recordsAffected(), 1);
  }
}

// The seeded tables give the conversion what the built-in catalogue gives.
TEST_F(StoreTest, DatumLookupFromTheTables) {
  DatabaseDatumLookup fromDb(db);
  CatalogueDatumLookup builtin;
  for (const DatumRow& d : builtinDatums()) {
    SCOPED_TRACE(d.description);
    const auto a = fromDb.datum(d.datum);
    const auto b = builtin.datum(d.datum);
    ASSERT_EQ(a.has_value(), b.has_value());
    if (!a) continue;
    EXPECT_EQ(a->description, b->description);
    EXPECT_EQ(a->ellipse, b->ellipse);
    EXPECT_EQ(a->majorAxis, b->majorAxis);
    EXPECT_EQ(a->minorAxis, b->minorAxis);
    EXPECT_EQ(a->x, b->x);
    EXPECT_EQ(a->z, b->z);
    CalcRecord ra, rb;
    ra.Lat1 = rb.Lat1 = 52.5;
    ra.Lon1 = rb.Lon1 = 4.5;
    ra.Datum1 = rb.Datum1 = d.datum;
    ra.Datum2 = rb.Datum2 = kWgs84Datum;
    DatumConvert(ra, fromDb);
    DatumConvert(rb, builtin);
    EXPECT_EQ(ra.Lat2, rb.Lat2);
    EXPECT_EQ(ra.Lon2, rb.Lon2);
  }
  db.execute(QStringLiteral("INSERT INTO Datums (datum, ellipse, description) VALUES (900, 'x', 'text ellipse')"));
  db.execute(QStringLiteral("INSERT INTO Datums (datum, ellipse, description) VALUES (901, 777, 'no ellipse')"));
  EXPECT_FALSE(fromDb.datum(900));
  EXPECT_FALSE(fromDb.datum(901));
  EXPECT_FALSE(fromDb.datum(902));
}

TEST(StoreOpen, NotADatabaseIsReportedNotCrashed) {
  QTemporaryDir dir;
  const QString junk = dir.filePath(QStringLiteral("junk.db"));
  QFile f(junk);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray(4096, 'x'));
  f.close();
  Database db;
  StoreResult r = db.open(junk);
  EXPECT_EQ(r.error, DbError::UnrecognizedFormat);
  EXPECT_EQ(r.message, 11);
  EXPECT_FALSE(db.isOpen());
  r = db.open(dir.filePath(QStringLiteral("missing.db")));
  EXPECT_EQ(r.error, DbError::FileNotFound);
  EXPECT_EQ(r.message, 11);
  EXPECT_EQ(QFileInfo(junk).size(), 4096);  // nothing written into it
}

}  // namespace
}  // namespace tavrik
