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

namespace tavrik {
namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(2, 30, 0));

class Upgrade : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    path = dir.filePath(QStringLiteral("gps.db"));
  }
  void make(int version, const QStringList& extra = {}) {
    const StoreResult r = testing::makeOldDatabase(db, path, version, extra);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
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
  int version = 0;
  ASSERT_TRUE(readDbVersion(db, &version).ok());
  EXPECT_EQ(version, 13);
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT [Date last used] FROM Version")).toString(), QStringLiteral("2026-12-07T02:30:00"));

  const auto system = db.tableDef(QStringLiteral("System"));
  ASSERT_TRUE(system);
  ASSERT_NE(system->field(QStringLiteral("Grid Distance")), nullptr);
  EXPECT_EQ(system->field(QStringLiteral("Grid Distance"))->type, FieldType::Single);
  EXPECT_EQ(system->field(QStringLiteral("Dist")), nullptr);
  EXPECT_DOUBLE_EQ(db.scalar(QStringLiteral("SELECT [Grid distance] FROM System")).toDouble(), 2.5);
  EXPECT_EQ(system->field(QStringLiteral("rd"))->type, FieldType::Boolean);
  EXPECT_EQ(system->field(QStringLiteral("grid"))->type, FieldType::Integer);

  const auto charts = db.tableDef(QStringLiteral("Charts"));
  ASSERT_TRUE(charts);
  EXPECT_NE(charts->field(QStringLiteral("BSB")), nullptr);
  EXPECT_EQ(charts->field(QStringLiteral("Zoom")), nullptr);
  EXPECT_EQ(charts->field(QStringLiteral("Revised"))->size, 15);
  auto rs = db.openRecordset(QStringLiteral("Charts"));
  for (; !rs->eof(); rs->moveNext()) {
    EXPECT_EQ(rs->integer(QStringLiteral("BSB")), 0);
    EXPECT_EQ(rs->text(QStringLiteral("Scale")), QStringLiteral(" "));
    EXPECT_EQ(rs->number(QStringLiteral("Top_margin")), 0);
  }
  const auto tel = db.tableDef(QStringLiteral("Telephone"));
  ASSERT_TRUE(tel);
  EXPECT_TRUE(tel->field(QStringLiteral("Nr"))->counter);
  EXPECT_EQ(db.relations().size(), 2u);
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT Datum FROM Waypoints")).toInt(), 0);

  // The file as it was is kept beside it.
  EXPECT_EQ(report.backupPath, path + QStringLiteral(".v4.bak"));
  Database old;
  ASSERT_TRUE(old.open(report.backupPath).ok());
  ASSERT_TRUE(readDbVersion(old, &version).ok());
  EXPECT_EQ(version, 4);
  EXPECT_FALSE(old.hasTable(QStringLiteral("Telephone")));
}

TEST_F(Upgrade, Version5GridFromTheOldFlags) {
  struct Row {
    const char* legend;
    int utm, rd, ngr;
    int grid;
  } rows[] = {{"none", 0, 0, 0, 0}, {"utm", -1, 0, 0, 2}, {"rd", 0, -1, 0, 3},
              {"utm and ngr", -1, 0, -1, 4}, {"utm and rd", -1, -1, 0, 3}, {"all", -1, -1, -1, 4}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    make(5, {QStringLiteral("UPDATE System SET utm = %1, rd = %2, ngr = %3").arg(row.utm).arg(row.rd).arg(row.ngr)});
    ASSERT_TRUE(upgradeMainDatabase(db, kNow).ok());
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT grid FROM System WHERE id = 1")).toInt(), row.grid);
    db.close();
    for (const QString& f : QDir(dir.path()).entryList(QDir::Files)) QFile::remove(dir.filePath(f));
  }
}

TEST_F(Upgrade, Version7GetsTheDefaultRowsAndDatumZero) {
  make(7, {"INSERT INTO Waypoints (description) VALUES ('second')"});
  ASSERT_TRUE(upgradeMainDatabase(db, kNow).ok());
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT description FROM Datums WHERE datum = 0")).toString(), QStringLiteral("Default"));
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT description FROM Ellipsoids WHERE ellipse = 0")).toString(), QStringLiteral("Default"));
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM Waypoints WHERE Datum = 0")).toInt(), 2);
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM [Zone points] WHERE Datum = 0")).toInt(), 1);
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT description FROM Waypoints WHERE Waypoint = 1")).toString(),
            QStringLiteral("Skipper's Rock"));
  // The relation follows a change of the datum's key.
  ASSERT_TRUE(db.execute(QStringLiteral("UPDATE Datums SET datum = 7 WHERE datum = 0")).ok());
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM Waypoints WHERE Datum = 7")).toInt(), 2);
}

TEST_F(Upgrade, Version9DerivesTheThirdPoint) {
  make(9);
  ASSERT_TRUE(upgradeMainDatabase(db, kNow).ok());
  auto rs = db.openRecordset(QStringLiteral("Charts"));
  ASSERT_TRUE(rs->findFirst(QStringLiteral("description = 'Mercator chart'")));
  EXPECT_EQ(rs->number(QStringLiteral("x3")), 0);
  EXPECT_EQ(rs->number(QStringLiteral("latitude3")), 0);
  ASSERT_TRUE(rs->findFirst(QStringLiteral("description = 'Plan'")));
  EXPECT_EQ(rs->number(QStringLiteral("x3")), 1200);  // x1 + x2
  EXPECT_EQ(rs->number(QStringLiteral("y3")), 1400);  // y1 + y2
  // Without scales the point lies on the line through points 1 and 2:
  // 1200 units down at 1000 units per degree is 1.2 degrees south.
  EXPECT_NEAR(rs->number(QStringLiteral("latitude3")), 53 - 1.2, 1e-9);
  EXPECT_NEAR(rs->number(QStringLiteral("longitude3")), 4 + 1.1, 1e-9);
}

TEST_F(Upgrade, Version13IsNotTouched) {
  make(13);
  UpgradeReport report;
  ASSERT_TRUE(upgradeMainDatabase(db, kNow, &report).ok());
  EXPECT_FALSE(report.upgraded);
  EXPECT_TRUE(report.backupPath.isEmpty());
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT [Date last used] FROM Version")).toString(), QStringLiteral("2001-02-03T04:05:06"));
  EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".v13.bak")));
}

TEST_F(Upgrade, WrongVersionsAreRefused) {
  struct Row {
    const char* legend;
    QStringList sql;
  } rows[] = {
      {"version 3", {"UPDATE Version SET version = 3"}},
      {"no row Id = 1", {"DELETE FROM Version"}},
      {"no Version table", {"DROP TABLE Version"}},
      {"text for the version", {"UPDATE Version SET version = 'four'"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    make(4, row.sql);
    const StoreResult r = upgradeMainDatabase(db, kNow);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message, Msg::DatabaseWrongVersion);
    EXPECT_FALSE(db.hasTable(QStringLiteral("Telephone")));
    db.close();
    for (const QString& f : QDir(dir.path()).entryList(QDir::Files)) QFile::remove(dir.filePath(f));
  }
}

// A step that fails part-way must not leave the fields of the steps before it.
TEST_F(Upgrade, FailingStepRollsTheWholeChainBack) {
  make(4, {"DROP TABLE Charts"});  // conv8to9 cannot add its fields
  UpgradeReport report;
  const StoreResult r = upgradeMainDatabase(db, kNow, &report);
  ASSERT_FALSE(r.ok());
  EXPECT_TRUE(r.detail.startsWith(QStringLiteral("conv8to9"))) << r.detail.toStdString();
  EXPECT_EQ(db.transactionDepth(), 0);
  int version = 0;
  ASSERT_TRUE(readDbVersion(db, &version).ok());
  EXPECT_EQ(version, 4);
  EXPECT_FALSE(db.hasTable(QStringLiteral("Telephone")));
  EXPECT_FALSE(db.hasField(QStringLiteral("System"), QStringLiteral("rd")));
  EXPECT_TRUE(db.hasField(QStringLiteral("System"), QStringLiteral("utm")));
  EXPECT_FALSE(db.hasField(QStringLiteral("Waypoints"), QStringLiteral("Datum")));
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM Datums WHERE datum = 0")).toInt(), 0);
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT [Grid Distance] FROM System")).toDouble(), 2.5);
  EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral(".v4.bak")));
  // A second try keeps the first copy and writes another.
  EXPECT_FALSE(upgradeMainDatabase(db, kNow, &report).ok());
  EXPECT_EQ(report.backupPath, path + QStringLiteral(".v4.1.bak"));
}

TEST_F(Upgrade, NewDatabaseCopiesStructureAndThreeTables) {
  ASSERT_TRUE(createMainDatabase(db, path, kNow).ok());
  db.execute(QStringLiteral("INSERT INTO Waypoints (description, Datum) VALUES ('w', 0)"));
  db.execute(QStringLiteral("INSERT INTO Charts (description) VALUES ('c')"));
  db.execute(QStringLiteral("INSERT INTO Tracks (description) VALUES ('t')"));
  const QString copy = dir.filePath(QStringLiteral("Skipper's new.db"));
  const StoreResult r = copyDatabaseStructure(db, copy);
  ASSERT_TRUE(r.ok()) << r.detail.toStdString();
  Database out;
  ASSERT_TRUE(out.open(copy).ok());
  EXPECT_EQ(out.tableNames(), db.tableNames());
  for (const QString& t : db.tableNames()) {
    SCOPED_TRACE(t.toStdString());
    const auto a = db.tableDef(t), b = out.tableDef(t);
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->fields.size(), b->fields.size());
    for (size_t i = 0; i < a->fields.size(); ++i) {
      EXPECT_EQ(a->fields[i].name, b->fields[i].name);
      EXPECT_EQ(a->fields[i].type, b->fields[i].type);
      EXPECT_EQ(a->fields[i].size, b->fields[i].size);
      EXPECT_EQ(a->fields[i].counter, b->fields[i].counter);
    }
    ASSERT_EQ(a->indexes.size(), b->indexes.size());
    for (size_t i = 0; i < a->indexes.size(); ++i) {
      EXPECT_EQ(a->indexes[i].name, b->indexes[i].name);
      EXPECT_EQ(a->indexes[i].fields, b->indexes[i].fields);
      EXPECT_EQ(a->indexes[i].unique, b->indexes[i].unique);
    }
    const QString count = QStringLiteral("SELECT count(*) FROM ") + sqlName(t);
    const bool copied = t == QLatin1String("Version") || t == QLatin1String("Ellipsoids") || t == QLatin1String("Datums");
    EXPECT_EQ(out.scalar(count).toInt(), copied ? db.scalar(count).toInt() : 0);
  }
  EXPECT_GT(out.scalar(QStringLiteral("SELECT count(*) FROM Datums")).toInt(), 2);
  ASSERT_EQ(out.relations().size(), 2u);
  EXPECT_EQ(out.relations()[0].name, db.relations()[0].name);
  EXPECT_EQ(out.relations()[1].foreignTable, QStringLiteral("Zone points"));
  // Its own file is never the target.
  EXPECT_EQ(copyDatabaseStructure(db, path).error, 3045);
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM Waypoints")).toInt(), 1);
}

TEST_F(Upgrade, InfoDatabaseCreatedAndOldOnesUpgraded) {
  Database info;
  ASSERT_TRUE(createInfoDatabase(info, path, {QStringLiteral("Harbours"), QString(), QStringLiteral("(c) me"), QString(), QString()}).ok());
  auto rs = info.openRecordset(QStringLiteral("Version"));
  EXPECT_EQ(rs->text(QStringLiteral("Name")), QStringLiteral("Harbours"));
  EXPECT_EQ(rs->text(QStringLiteral("Version")), QStringLiteral(" "));
  EXPECT_EQ(rs->integer(QStringLiteral("dbVersion")), 3);
  EXPECT_TRUE(info.tableDef(QStringLiteral("Info points"))->field(QStringLiteral("Info"))->counter);
  rs.reset();
  info.close();

  const QString old = dir.filePath(QStringLiteral("old.db"));
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
  EXPECT_EQ(info.scalar(QStringLiteral("SELECT dbVersion FROM Version")).toInt(), 3);
  EXPECT_EQ(info.scalar(QStringLiteral("SELECT Icon FROM Version")).toString(), QStringLiteral(" "));
  EXPECT_EQ(info.scalar(QStringLiteral("SELECT Chart FROM [Info points]")).toString(), QStringLiteral(" "));
  EXPECT_EQ(info.scalar(QStringLiteral("SELECT Icon FROM [Info points]")).toString(), QStringLiteral(" "));
}

}  // namespace
}  // namespace tavrik
