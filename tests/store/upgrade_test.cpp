#include "store/upgrade.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/messages.h"
#include "old_layouts.h"
#include "store/schema.h"
#include "store/sql_text.h"
#include "store_checks.h"

namespace tavrik {
namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(2, 30, 0));

class Upgrade : public ::testing::Test {
 protected:
  void SetUp() override { path = dir.filePath("gps.db"); }
  // A database in the layout of `version`, replacing whatever the test made before.
  void make(int version, const QStringList& extra = {}) {
    db.close();
    for (const QString& f : QDir(dir.path()).entryList(QDir::Files)) QFile::remove(dir.filePath(f));
    const StoreResult r = testing::makeOldDatabase(db, path, version, extra);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
  }
  int version(Database& d) {
    int v = 0;
    EXPECT_TRUE(readDbVersion(d, &v).ok());
    return v;
  }
  QTemporaryDir dir;
  QString path;
  Database db;
};

TEST_F(Upgrade, Version4EndsAtThirteenWithEveryChange) {
  make(4);
  UpgradeReport report;
  const StoreResult r = upgradeMainDatabase(db, kNow, &report);
  ASSERT_TRUE(r.ok()) << r.detail.toStdString();
  EXPECT_TRUE(report.upgraded);
  EXPECT_EQ(report.fromVersion, 4);
  EXPECT_EQ(version(db), 13);
  testing::expectScalars(db, {{"SELECT [Date last used] FROM Version", "2026-12-07T02:30:00"},
                              {"SELECT [Grid distance] FROM System", 2.5},
                              {"SELECT Datum FROM Waypoints", 0}});

  const auto system = db.tableDef("System");
  ASSERT_TRUE(system && system->field("Grid Distance") && system->field("rd") && system->field("grid"));
  EXPECT_EQ(system->field("Grid Distance")->type, FieldType::Single);
  EXPECT_EQ(system->field("Dist"), nullptr);
  EXPECT_EQ(system->field("rd")->type, FieldType::Boolean);
  EXPECT_EQ(system->field("grid")->type, FieldType::Integer);

  const auto charts = db.tableDef("Charts");
  ASSERT_TRUE(charts && charts->field("Revised"));
  EXPECT_NE(charts->field("BSB"), nullptr);
  EXPECT_EQ(charts->field("Zoom"), nullptr);
  EXPECT_EQ(charts->field("Revised")->size, 15);
  for (auto rs = db.openRecordset("Charts"); !rs->eof(); rs->moveNext()) {
    EXPECT_EQ(rs->integer("BSB"), 0);
    EXPECT_EQ(rs->text("Scale"), " ");
    EXPECT_EQ(rs->number("Top_margin"), 0);
  }
  const auto tel = db.tableDef("Telephone");
  ASSERT_TRUE(tel && tel->field("Nr"));
  EXPECT_TRUE(tel->field("Nr")->counter);
  EXPECT_EQ(db.relations().size(), 2u);

  // The file as it was is kept beside it.
  EXPECT_EQ(report.backupPath, path + ".v4.bak");
  Database old;
  ASSERT_TRUE(old.open(report.backupPath).ok());
  EXPECT_EQ(version(old), 4);
  EXPECT_FALSE(old.hasTable("Telephone"));
}

TEST_F(Upgrade, Version5GridFromTheOldFlags) {
  const struct {
    const char* legend;
    int utm, rd, ngr;
    int grid;
  } rows[] = {{"none", 0, 0, 0, 0},         {"utm", -1, 0, 0, 2},        {"rd", 0, -1, 0, 3},
              {"utm and ngr", -1, 0, -1, 4}, {"utm and rd", -1, -1, 0, 3}, {"all", -1, -1, -1, 4}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    make(5, {QStringLiteral("UPDATE System SET utm = %1, rd = %2, ngr = %3").arg(row.utm).arg(row.rd).arg(row.ngr)});
    ASSERT_TRUE(upgradeMainDatabase(db, kNow).ok());
    EXPECT_EQ(db.scalar("SELECT grid FROM System WHERE id = 1").toInt(), row.grid);
  }
}

TEST_F(Upgrade, Version7GetsTheDefaultRowsAndDatumZero) {
  make(7, {"INSERT INTO Waypoints (description) VALUES ('second')"});
  ASSERT_TRUE(upgradeMainDatabase(db, kNow).ok());
  testing::expectScalars(db, {{"SELECT description FROM Datums WHERE datum = 0", "Default"},
                              {"SELECT description FROM Ellipsoids WHERE ellipse = 0", "Default"},
                              {"SELECT count(*) FROM Waypoints WHERE Datum = 0", 2},
                              {"SELECT count(*) FROM [Zone points] WHERE Datum = 0", 1},
                              {"SELECT description FROM Waypoints WHERE Waypoint = 1", "Skipper's Rock"}});
  // The relation follows a change of the datum's key.
  ASSERT_TRUE(db.execute("UPDATE Datums SET datum = 7 WHERE datum = 0").ok());
  EXPECT_EQ(db.scalar("SELECT count(*) FROM Waypoints WHERE Datum = 7").toInt(), 2);
}

TEST_F(Upgrade, Version9DerivesTheThirdPoint) {
  make(9);
  ASSERT_TRUE(upgradeMainDatabase(db, kNow).ok());
  auto rs = db.openRecordset("Charts");
  ASSERT_TRUE(rs->findFirst("description = 'Mercator chart'"));
  EXPECT_EQ(rs->number("x3"), 0);
  EXPECT_EQ(rs->number("latitude3"), 0);
  ASSERT_TRUE(rs->findFirst("description = 'Plan'"));
  EXPECT_EQ(rs->number("x3"), 1200);  // x1 + x2
  EXPECT_EQ(rs->number("y3"), 1400);  // y1 + y2
  // Without scales the point lies on the line through points 1 and 2:
  // 1200 units down at 1000 units per degree is 1.2 degrees south.
  EXPECT_NEAR(rs->number("latitude3"), 53 - 1.2, 1e-9);
  EXPECT_NEAR(rs->number("longitude3"), 4 + 1.1, 1e-9);
}

TEST_F(Upgrade, Version13IsNotTouched) {
  make(13);
  UpgradeReport report;
  ASSERT_TRUE(upgradeMainDatabase(db, kNow, &report).ok());
  EXPECT_FALSE(report.upgraded);
  EXPECT_TRUE(report.backupPath.isEmpty());
  EXPECT_EQ(db.scalar("SELECT [Date last used] FROM Version").toString(), "2001-02-03T04:05:06");
  EXPECT_FALSE(QFileInfo::exists(path + ".v13.bak"));
}

TEST_F(Upgrade, WrongVersionsAreRefused) {
  const std::pair<const char*, const char*> rows[] = {{"version 3", "UPDATE Version SET version = 3"},
                                                      {"no row Id = 1", "DELETE FROM Version"},
                                                      {"no Version table", "DROP TABLE Version"},
                                                      {"text for the version", "UPDATE Version SET version = 'four'"}};
  for (const auto& [legend, sql] : rows) {
    SCOPED_TRACE(legend);
    make(4, {sql});
    const StoreResult r = upgradeMainDatabase(db, kNow);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message, Msg::DatabaseWrongVersion);
    EXPECT_FALSE(db.hasTable("Telephone"));
  }
}

// A step that fails part-way must not leave the fields of the steps before it.
TEST_F(Upgrade, FailingStepRollsTheWholeChainBack) {
  make(4, {"DROP TABLE Charts"});  // conv8to9 cannot add its fields
  UpgradeReport report;
  const StoreResult r = upgradeMainDatabase(db, kNow, &report);
  ASSERT_FALSE(r.ok());
  EXPECT_TRUE(r.detail.startsWith("conv8to9")) << r.detail.toStdString();
  EXPECT_EQ(db.transactionDepth(), 0);
  EXPECT_EQ(version(db), 4);
  EXPECT_FALSE(db.hasTable("Telephone"));
  EXPECT_FALSE(db.hasField("System", "rd"));
  EXPECT_TRUE(db.hasField("System", "utm"));
  EXPECT_FALSE(db.hasField("Waypoints", "Datum"));
  testing::expectScalars(db, {{"SELECT count(*) FROM Datums WHERE datum = 0", 0},
                              {"SELECT [Grid Distance] FROM System", 2.5}});
  EXPECT_TRUE(QFileInfo::exists(path + ".v4.bak"));
  // A second try keeps the first copy and writes another.
  EXPECT_FALSE(upgradeMainDatabase(db, kNow, &report).ok());
  EXPECT_EQ(report.backupPath, path + ".v4.1.bak");
}

// Fields (name, type, size, counter) and indexes (name, fields, unique) of a table.
QString layoutOf(const TableDef& t) {
  QString out;
  for (const FieldDef& f : t.fields)
    out += QStringLiteral("%1 %2 %3 %4; ").arg(f.name).arg(int(f.type)).arg(f.size).arg(f.counter);
  for (const IndexDef& i : t.indexes) out += QStringLiteral("[%1 %2 %3] ").arg(i.name, i.fields.join(',')).arg(i.unique);
  return out;
}

TEST_F(Upgrade, NewDatabaseCopiesStructureAndThreeTables) {
  ASSERT_TRUE(createMainDatabase(db, path, kNow).ok());
  db.execute("INSERT INTO Waypoints (description, Datum) VALUES ('w', 0)");
  db.execute("INSERT INTO Charts (description) VALUES ('c')");
  db.execute("INSERT INTO Tracks (description) VALUES ('t')");
  const QString copy = dir.filePath("Skipper's new.db");
  const StoreResult r = copyDatabaseStructure(db, copy);
  ASSERT_TRUE(r.ok()) << r.detail.toStdString();
  Database out;
  ASSERT_TRUE(out.open(copy).ok());
  EXPECT_EQ(out.tableNames(), db.tableNames());
  for (const QString& t : db.tableNames()) {
    SCOPED_TRACE(t.toStdString());
    const auto a = db.tableDef(t), b = out.tableDef(t);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(layoutOf(*a), layoutOf(*b));
    const QString count = "SELECT count(*) FROM " + sqlName(t);
    const bool copied = t == "Version" || t == "Ellipsoids" || t == "Datums";
    EXPECT_EQ(out.scalar(count).toInt(), copied ? db.scalar(count).toInt() : 0);
  }
  EXPECT_GT(out.scalar("SELECT count(*) FROM Datums").toInt(), 2);
  ASSERT_EQ(out.relations().size(), 2u);
  EXPECT_EQ(out.relations()[0].name, db.relations()[0].name);
  EXPECT_EQ(out.relations()[1].foreignTable, "Zone points");
  // Its own file is never the target.
  EXPECT_EQ(copyDatabaseStructure(db, path).error, 3045);
  EXPECT_EQ(db.scalar("SELECT count(*) FROM Waypoints").toInt(), 1);
}

TEST_F(Upgrade, InfoDatabaseCreatedAndOldOnesUpgraded) {
  Database info;
  ASSERT_TRUE(createInfoDatabase(info, path, {"Harbours", QString(), "(c) me", QString(), QString()}).ok());
  testing::expectScalars(info, {{"SELECT Name FROM Version", "Harbours"},
                                {"SELECT Version FROM Version", " "},
                                {"SELECT dbVersion FROM Version", 3}});
  EXPECT_TRUE(info.tableDef("Info points")->field("Info")->counter);
  info.close();

  const QString old = dir.filePath("old.db");
  {
    Database o;
    ASSERT_TRUE(o.open(old, Database::Mode::Create).ok());
    for (const char* s :
         {"CREATE TABLE Version (Name TEXT(50), Version TEXT(50), Copyright TEXT(50), Area TEXT(50), dbVersion INTEGER)",
          "CREATE TABLE [Info points] (Info INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT(50), File TEXT(100),"
          " Latitude FLOAT, Longitude FLOAT, Created DATETIME)",
          "INSERT INTO Version VALUES ('n', 'v', 'c', 'a', 1)", "INSERT INTO [Info points] (Name) VALUES ('p')"})
      ASSERT_TRUE(o.execute(QString::fromUtf8(s)).ok());
  }
  ASSERT_TRUE(openInfoDatabase(info, old).ok());
  testing::expectScalars(info, {{"SELECT dbVersion FROM Version", 3},
                                {"SELECT Icon FROM Version", " "},
                                {"SELECT Chart FROM [Info points]", " "},
                                {"SELECT Icon FROM [Info points]", " "}});
}

}  // namespace
}  // namespace tavrik
