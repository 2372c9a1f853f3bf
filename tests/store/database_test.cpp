#include "store/database.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "geo/datum_catalogue.h"
#include "store/db_datum_lookup.h"
#include "store/schema.h"
#include "store/sql_text.h"
#include "store_checks.h"

namespace tavrik {
namespace {

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(createMainDatabase(db, dir.filePath("gps.db"), QDateTime(QDate(2026, 12, 7), QTime(10, 0))).ok());
  }
  void run(std::initializer_list<const char*> sql) {
    for (const char* s : sql) ASSERT_TRUE(db.execute(QString::fromUtf8(s)).ok()) << s;
  }
  QStringList column(const QString& sql, const QString& field) {
    QStringList got;
    for (auto rs = db.openRecordset(sql); !rs->eof(); rs->moveNext()) got << rs->text(field);
    return got;
  }
  QTemporaryDir dir;
  Database db;
};

TEST(SqlText, QuotesNamesAndTranslatesJetDialect) {
  EXPECT_EQ(sqlQuote("Skipper's Rock"), "'Skipper''s Rock'");
  EXPECT_EQ(sqlEquals("description", "O'Neil's"), "description = 'O''Neil''s'");
  EXPECT_EQ(sqlEquals("Entry type", "x"), "[Entry type] = 'x'");
  EXPECT_EQ(sqlQuotedList({"a'b", "c"}), "'a''b','c'");
  const struct {
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
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    EXPECT_EQ(translateJetSql(QString::fromUtf8(r.jet)), QString::fromUtf8(r.sqlite));
  }
  InsertIntoFile into;
  ASSERT_TRUE(parseInsertIntoFile("INSERT INTO Datums IN '/tmp/o''k.db' SELECT * FROM Datums", &into));
  EXPECT_EQ(into.table, "Datums");
  EXPECT_EQ(into.file, "/tmp/o'k.db");
  EXPECT_EQ(into.rest, "SELECT * FROM Datums");
}

// Every table takes a row through AddNew/Update and gives it back: booleans as -1,
// dates as ISO text, singles and doubles as numbers.
TEST_F(StoreTest, EveryTableWrittenAndReadBack) {
  const QDateTime when(QDate(2026, 5, 1), QTime(13, 14, 15));
  for (const TableDef& t : mainSchemaTables()) {
    SCOPED_TRACE(t.name.toStdString());
    // Keys of the seeded tables must not collide; datum 0 must exist for the relations.
    const auto valueOf = [&](const FieldDef& f, int n) -> QVariant {
      if (f.name.compare("Datum", Qt::CaseInsensitive) == 0 && t.name != "Datums") return 0;
      switch (f.type) {
        case FieldType::Boolean: return true;
        case FieldType::Text:
        case FieldType::Memo: return QStringLiteral("Skipper's Rock %1").arg(n);
        case FieldType::Date: return when;
        case FieldType::Single: return 1.5;
        case FieldType::Double: return 52.123456789 + n;
        default: return 1000 + n;
      }
    };
    auto rs = db.openRecordset(t.name);
    ASSERT_TRUE(rs->lastResult().ok()) << rs->lastResult().detail.toStdString();
    const int before = rs->recordCount();
    ASSERT_TRUE(rs->addNew().ok());
    int n = 0;
    for (const FieldDef& f : t.fields)
      ASSERT_TRUE(f.counter || rs->setValue(f.name, valueOf(f, n++)).ok()) << f.name.toStdString();
    const StoreResult r = rs->update();
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    rs->close();
    auto back = db.openRecordset(t.name);
    EXPECT_EQ(back->recordCount(), before + 1);
    back->moveLast();
    n = 0;
    for (const FieldDef& f : t.fields) {
      const QVariant got = back->value(f.name);
      if (f.counter) {
        EXPECT_GT(got.toLongLong(), 0) << f.name.toStdString();
        continue;
      }
      QVariant want = valueOf(f, n++);
      if (f.type == FieldType::Boolean) want = -1;
      if (f.type == FieldType::Date) {
        want = "2026-05-01T13:14:15";
        EXPECT_EQ(back->date(f.name), when);
      }
      EXPECT_TRUE(testing::sameValue(got, want)) << f.name.toStdString() << ": " << got.toString().toStdString();
    }
  }
}

TEST_F(StoreTest, FindFirstWithQuotedNamesAndAnyCase) {
  auto rs = db.openRecordset("waypoints");  // table name in any case
  for (const char* name : {"Skipper's Rock", "Plain", "O'Neil's ''Reef''"}) {
    ASSERT_TRUE(rs->addNew().ok());
    rs->setValue("Description", QString::fromUtf8(name));
    rs->setValue("LATITUDE", 52.0);
    rs->setValue("Datum", 0);
    ASSERT_TRUE(rs->update().ok());
  }
  for (const char* name : {"Skipper's Rock", "O'Neil's ''Reef''", "skipper's rock"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(rs->findFirst(sqlEquals("description", QString::fromUtf8(name))));
    EXPECT_FALSE(rs->noMatch());
    EXPECT_EQ(rs->text("description").toLower(), QString::fromUtf8(name).toLower());
  }
  EXPECT_FALSE(rs->findFirst(sqlEquals("description", "Skipper")));
  EXPECT_TRUE(rs->noMatch());
  // An SQL text built with the helper finds it too.
  auto q = db.openRecordset("SELECT * FROM Waypoints WHERE " + sqlEquals("Description", "Skipper's Rock"));
  EXPECT_EQ(q->recordCount(), 1);
  EXPECT_TRUE(q->updatable());
}

TEST_F(StoreTest, DuplicateKeyIsError3022) {
  auto rs = db.openRecordset("Waypoints");
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(rs->addNew().ok());
    rs->setValue("description", "Twice");
    const StoreResult r = rs->update();
    EXPECT_EQ(r.error, i == 0 ? DbError::None : DbError::DuplicateKey);
  }
  EXPECT_TRUE(rs->editing());  // the buffer stays for a correction
  rs->cancelUpdate();
  EXPECT_EQ(db.execute("INSERT INTO Waypoints (description) VALUES ('twice')").error, DbError::DuplicateKey);
  EXPECT_EQ(rs->recordCount(), 1);
}

TEST_F(StoreTest, EditDeleteMovesAndTheCounter) {
  auto rs = db.openRecordset("Routes");
  for (int i = 0; i < 5; ++i) {
    rs->addNew();
    rs->setValue("description", QStringLiteral("R%1").arg(i));
    ASSERT_TRUE(rs->update().ok());
  }
  rs->requery();
  ASSERT_TRUE(rs->findFirst("description = 'R2'"));
  ASSERT_TRUE(rs->edit().ok());
  rs->setValue("description", "Renamed");
  ASSERT_TRUE(rs->update().ok());
  ASSERT_TRUE(rs->findFirst("description = 'R3'"));
  ASSERT_TRUE(rs->remove().ok());
  EXPECT_EQ(rs->remove().error, DbError::NoCurrentRecord);
  QStringList seen;
  for (rs->moveFirst(); !rs->eof(); rs->moveNext()) seen << rs->text("description");
  EXPECT_EQ(seen, (QStringList{"R0", "R1", "Renamed", "R4"}));
  EXPECT_EQ(column("SELECT * FROM [Routes] OrdER BY description", "DESCRIPTION"),
            (QStringList{"R0", "R1", "R4", "Renamed"}));
  EXPECT_EQ(rs->edit().error, DbError::NoCurrentRecord);  // at EOF
  EXPECT_EQ(rs->setValue("description", 1).error, DbError::UpdateWithoutAddNew);
  rs->moveFirst();
  EXPECT_EQ(rs->value("nosuchfield"), QVariant());
  EXPECT_EQ(rs->lastResult().error, DbError::ItemNotFound);

  // AddNew shows the counter before Update; after it the new row is lastModified().
  auto tracks = db.openRecordset("Tracks");
  tracks->addNew();
  const qint64 predicted = tracks->integer("Track");
  tracks->setValue("description", "t1");
  ASSERT_TRUE(tracks->update().ok());
  ASSERT_TRUE(tracks->moveTo(tracks->lastModified()));
  EXPECT_EQ(tracks->integer("Track"), predicted);
  EXPECT_EQ(db.lastInsertId(), predicted);
}

TEST_F(StoreTest, RoutePointsKeepTheirOrderThroughTheJoinQueries) {
  run({"INSERT INTO Waypoints (description) VALUES ('C')", "INSERT INTO Waypoints (description) VALUES ('A')",
       "INSERT INTO Waypoints (description) VALUES ('B')", "INSERT INTO Routes (description) VALUES ('r')"});
  auto rp = db.openRecordset("Route points");
  for (const char* name : {"C", "A", "B"}) {
    rp->addNew();
    rp->setValue("Route", 1);
    rp->setValue("Waypoint", db.scalar("SELECT Waypoint FROM Waypoints WHERE description = ?", {name}));
    ASSERT_TRUE(rp->update().ok());
  }
  const QString base =
      "SELECT Waypoints.* FROM [Route points], Waypoints  WHERE [Route points].Waypoint = Waypoints.Waypoint"
      " AND [Route points].Route = 1 OrdER BY [Route points].Sequence";
  const std::pair<const char*, QStringList> rows[] = {
      {"", {"C", "A", "B"}}, {" asc", {"C", "A", "B"}}, {" desc", {"B", "A", "C"}}};
  for (const auto& [order, want] : rows) {
    SCOPED_TRACE(order);
    EXPECT_EQ(db.openRecordset(base + order)->baseTable(), "Waypoints");
    EXPECT_EQ(column(base + order, "description"), want);
  }
  auto count = db.openRecordset(" SELECT COUNT(*) AS TOTAL FROM [Route points] WHERE Route = 1");
  EXPECT_EQ(count->integer("total"), 3);
  EXPECT_FALSE(count->updatable());
}

TEST_F(StoreTest, TransactionsRollBackAndNest) {
  ASSERT_TRUE(db.beginTrans().ok());
  run({"INSERT INTO Zones (Name) VALUES ('outer')"});
  ASSERT_TRUE(db.beginTrans().ok());
  run({"INSERT INTO Zones (Name) VALUES ('inner')"});
  ASSERT_TRUE(db.rollback().ok());
  ASSERT_TRUE(db.commitTrans().ok());
  EXPECT_EQ(column("SELECT * FROM [Zones] OrdER BY Name", "name"), QStringList{"outer"});
  ASSERT_TRUE(db.beginTrans().ok());
  run({"DELETE FROM Zones"});
  ASSERT_TRUE(db.rollback().ok());
  EXPECT_EQ(db.scalar("SELECT count(*) FROM Zones").toInt(), 1);
  EXPECT_EQ(db.commitTrans().error, DbError::Transaction);
}

TEST_F(StoreTest, LogDeletionWithJetDates) {
  auto log = db.openRecordset("Log");
  for (int h : {8, 12, 23}) {
    log->addNew();
    log->setValue("Entry type", 1);
    log->setValue("date", QDateTime(QDate(2026, 12, 6), QTime(h, 0)));
    ASSERT_TRUE(log->update().ok());
  }
  const StoreResult r = db.execute("DELETE FROM Log  WHERE [Entry type] IN (1) AND Date >= #12/06/2026 10:00:00 AM#"
                                   " AND Date <= #12/06/2026 11:00:00 PM#");
  ASSERT_TRUE(r.ok()) << r.detail.toStdString();
  EXPECT_EQ(db.recordsAffected(), 2);
  auto joined = db.openRecordset("SELECT * FROM Log, [Log entry types]  WHERE Log.[Entry type] = [Log entry types]."
                                 "[Entry type]  AND Log.[Entry type] IN (1) ORDER BY Date");
  ASSERT_TRUE(joined->lastResult().ok()) << joined->lastResult().detail.toStdString();
  EXPECT_EQ(joined->recordCount(), 1);
  EXPECT_EQ(joined->text("date"), "2026-12-06T08:00:00");
  EXPECT_EQ(joined->text("description"), "GPS");
}

TEST_F(StoreTest, RelationCascadesDatumKeyChange) {
  run({"INSERT INTO Waypoints (description, Datum) VALUES ('w', 1)", "UPDATE Datums SET datum = 500 WHERE datum = 1"});
  EXPECT_EQ(db.scalar("SELECT Datum FROM Waypoints WHERE description = 'w'").toInt(), 500);
  EXPECT_EQ(db.execute("INSERT INTO Waypoints (description, Datum) VALUES ('x', 99999)").error,
            DbError::RelatedRecordRequired);
  // A datum still in use is not deleted.
  EXPECT_EQ(db.execute("DELETE FROM Datums WHERE datum = 500").error, DbError::CannotDeleteRelated);
  auto datums = db.openRecordset("Datums");
  ASSERT_TRUE(datums->findFirst("datum = 500"));
  EXPECT_EQ(datums->remove().error, DbError::CannotDeleteRelated);
  EXPECT_EQ(db.scalar("SELECT count(*) FROM Datums WHERE datum = 500").toInt(), 1);
  const auto rels = db.relations();
  ASSERT_EQ(rels.size(), 2u);
  EXPECT_EQ(rels[0].name, "Datum");
  EXPECT_EQ(rels[1].name, "Zone datum");
  EXPECT_TRUE(rels[1].cascadeUpdate);
  EXPECT_FALSE(rels[1].cascadeDelete);
}

TEST_F(StoreTest, SchemaChangesKeepRows) {
  run({"INSERT INTO Ships (Name, speed) VALUES ('Skipper''s Rock', 4.5)"});
  ASSERT_TRUE(db.appendField("ships", FieldDef::of("Extra", FieldType::Single)).ok());
  EXPECT_EQ(db.appendField("Ships", FieldDef::of("extra", FieldType::Long)).error, DbError::FieldExists);
  ASSERT_TRUE(db.renameField("Ships", "EXTRA", "More").ok());
  EXPECT_TRUE(db.hasField("Ships", "more"));
  // Name carries a unique index: dropping it rebuilds the table.
  ASSERT_TRUE(db.deleteField("Ships", "Name").ok());
  EXPECT_FALSE(db.hasField("Ships", "Name"));
  EXPECT_DOUBLE_EQ(db.scalar("SELECT speed FROM Ships").toDouble(), 4.5);
  EXPECT_EQ(db.deleteField("Ships", "Name").error, DbError::ItemNotFound);
  EXPECT_EQ(db.openRecordset("NoSuchTable")->lastResult().error, DbError::TableNotFound);
}

// The program's query texts run as they stand (its spacing and spelling included).
TEST_F(StoreTest, TheProgramsQueriesRun) {
  run({"INSERT INTO Folders (description) VALUES ('F')", "INSERT INTO Charts (description) VALUES ('C')",
       "INSERT INTO [Folder charts] (Folder, Chart) VALUES (1, 1)",
       "INSERT INTO Waypoints (description, Type, [Group], latitude, longitude, proximity, Datum) "
       "VALUES ('W', 1, 1, 52, 4, 0.1, 0)",
       "INSERT INTO Routes (description) VALUES ('R')", "INSERT INTO [Route points] (Route, Waypoint) VALUES (1, 1)",
       "INSERT INTO Zones (Name) VALUES ('Z')",
       "INSERT INTO [Zone points] (Zone, latitude, longitude, Datum) VALUES (1, 1, 1, 0)",
       "INSERT INTO Tracks (description) VALUES ('T')", "INSERT INTO [Track data] (Track, latitude) VALUES (1, 2)",
       "INSERT INTO Log ([Entry type], date) VALUES (1, '2026-12-06T12:00:00')",
       "INSERT INTO Ships (Name) VALUES ('S')", "INSERT INTO Telephone (Name) VALUES ('T')"});
  const std::pair<QString, int> rows[] = {
      {"SELECT Charts.* FROM [Folder charts], Charts  WHERE [Folder charts].Chart = Charts.chart"
       " AND [Folder charts].Folder = 1", 1},
      {"SELECT Charts.* From [Folder charts], Charts WHERE Folder = 1 AND Charts.chart = [Folder charts].chart", 1},
      {"SELECT DESCRIPTION FROM Folders, [Folder charts] WHERE Folders.Folder = [Folder charts].Folder"
       " AND [Folder charts].Chart = 1", 1},
      {"SELECT * FROM [Folder charts] WHERE Folder = 1 AND Chart = 1", 1},
      {"SELECT * FROM [Route points] WHERE Route = 1 ORDER BY [Route points].Sequence", 1},
      {" SELECT COUNT(*) AS TOTAL FROM [Route points] WHERE Route = 1", 1},
      {"SELECT Waypoints.* FROM Waypoints, [Waypoint types], [Waypoint groups]  WHERE Waypoints.Type = "
       "[Waypoint types].Type AND Waypoints.Group = [Waypoint groups].Group AND [Waypoint groups].Description IN (" +
       sqlQuotedList({"General", "Skipper's"}) + ") AND [Waypoint types].Description IN (" +
       sqlQuotedList({"waypoint"}) + ") OrdER BY Waypoints.description", 1},
      {"SELECT * FROM Waypoints  WHERE Waypoints.Group IN (1) AND Type IN (1) AND Latitude < 53 AND Latitude > 51"
       " AND Longitude < 5 AND Longitude > 3 OrdER BY description", 1},
      {"SELECT * FROM Waypoints  WHERE Type IN (1) AND Proximity > 0 ORDER BY GROUP, DESCRIPTION", 1},
      {"SELECT * FROM [Zone Points]  WHERE Zone = 1 OrdER BY Point", 1},
      {"SELECT * FROM [Tracks] ORDER BY description", 1}, {"SELECT * FROM [Track data] WHERE Track = 1", 1},
      {"SELECT * FROM [Folders] OrdER BY description", 1}, {"SELECT * FROM [Routes] OrdER BY description", 1},
      {"SELECT * FROM [Waypoint types] ORDER BY description", 1},
      {"SELECT * FROM [Waypoint groups] OrdER BY description", 1}, {"SELECT * FROM [Zones] OrdER BY Name", 1},
      {"SELECT * FROM Ships OrdER BY name", 1}, {"SELECT * FROM Telephone OrdER BY NAME", 1},
      {"SELECT * FROM Datums WHERE DATUM > 0 ORDER BY description",
       db.scalar("SELECT count(*) - 1 FROM Datums").toInt()},
      {"SELECT * FROM Ellipsoids WHERE Ellipse > 0 ORDER BY description",
       db.scalar("SELECT count(*) - 1 FROM Ellipsoids").toInt()},
      {"SELECT * FROM Version", 1},
  };
  for (const auto& [sql, count] : rows) {
    SCOPED_TRACE(sql.toStdString());
    auto rs = db.openRecordset(sql);
    ASSERT_TRUE(rs->lastResult().ok()) << rs->lastResult().detail.toStdString();
    EXPECT_EQ(rs->recordCount(), count);
  }
  for (const char* sql : {"DELETE FROM [Route points] WHERE Route = 1", "DELETE FROM [Zone points] WHERE Zone = 1",
                          "DELETE FROM Zones WHERE Zone = 1"}) {
    EXPECT_TRUE(db.execute(QString::fromUtf8(sql)).ok()) << sql;
    EXPECT_EQ(db.recordsAffected(), 1) << sql;
  }
}

// The seeded tables give the conversion what the built-in catalogue gives; a datum
// whose ellipse is text or missing gives nothing.
TEST_F(StoreTest, DatumLookupFromTheTables) {
  DatabaseDatumLookup fromDb(db);
  CatalogueDatumLookup builtin;
  for (const DatumRow& d : builtinDatums()) {
    SCOPED_TRACE(d.description);
    const auto a = fromDb.datum(d.datum), b = builtin.datum(d.datum);
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
  run({"INSERT INTO Datums (datum, ellipse, description) VALUES (900, 'x', 'text ellipse')",
       "INSERT INTO Datums (datum, ellipse, description) VALUES (901, 777, 'no ellipse')"});
  for (int datum : {900, 901, 902}) EXPECT_FALSE(fromDb.datum(datum)) << datum;
}

TEST(StoreOpen, NotADatabaseIsReportedNotCrashed) {
  QTemporaryDir dir;
  const QString junk = dir.filePath("junk.db");
  QFile f(junk);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray(4096, 'x'));
  f.close();
  Database db;
  StoreResult r = db.open(junk);
  EXPECT_EQ(r.error, DbError::UnrecognizedFormat);
  EXPECT_EQ(r.message, 11);
  EXPECT_FALSE(db.isOpen());
  r = db.open(dir.filePath("missing.db"));
  EXPECT_EQ(r.error, DbError::FileNotFound);
  EXPECT_EQ(r.message, 11);
  EXPECT_EQ(QFileInfo(junk).size(), 4096);  // nothing written into it
}

}  // namespace
}  // namespace tavrik
