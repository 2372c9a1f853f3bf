// Start-up and shutdown of the database side of the program, through the App, in
// temporary homes.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/app.h"
#include "core/messages.h"
#include "core/registry.h"
#include "old_layouts.h"
#include "store/schema.h"
#include "store/system_row.h"

namespace tavrik {
namespace {

class Home {
 public:
  Home() : app(AppPaths::inFolder(dir.path()), clock, prompter, sound) {}
  QString file(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
  // Start-up as far as the database goes.
  bool start(std::function<QString()> choose = {}) {
    app.loadSettings();
    if (!app.openDatabase(choose)) return false;
    app.loadSystemSettings();
    app.applyStartOptions();
    return true;
  }
  void stop() {
    app.closeDatabase();
    app.saveSettings();
  }

  QTemporaryDir dir;
  FakeClock clock{QDateTime(QDate(2026, 12, 7), QTime(3, 0))};
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  App app;
};

TEST(Startup, FirstStartCreatesASeededDatabase) {
  Home h;
  ASSERT_TRUE(h.start());
  EXPECT_TRUE(h.prompter.empty());
  EXPECT_EQ(h.app.settings.Database, h.file("gps.db"));
  Database& db = h.app.db;
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT version FROM Version WHERE Id = 1")).toInt(), 13);
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT description FROM Datums WHERE datum = 0")).toString(), QStringLiteral("Default"));
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT description FROM Ellipsoids WHERE ellipse = 0")).toString(), QStringLiteral("Default"));
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT majoraxis FROM Ellipsoids WHERE ellipse = 39")).toDouble(), 6378137.0);
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT ellipse FROM Datums WHERE description = 'WGS-84'")).toInt(), 39);
  for (const QString& t : builtinLogEntryTypes()) {
    SCOPED_TRACE(t.toStdString());
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM [Log entry types] WHERE description = ?"), {t}).toInt(), 1);
  }
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM [Waypoint types]")).toInt(), 1);
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM [Waypoint groups]")).toInt(), 1);
  // The database's datums serve the conversion.
  const auto wgs = h.app.datumLookup.datum(1);
  ASSERT_TRUE(wgs);
  EXPECT_EQ(wgs->description, QStringLiteral("WGS-84"));
  EXPECT_DOUBLE_EQ(wgs->majorAxis, 6378137.0);
  EXPECT_FALSE(h.app.datumLookup.datum(4242));
  h.stop();
  EXPECT_FALSE(h.app.datumLookup.datum(1));  // closed
}

TEST(Startup, LastPositionSurvivesARestart) {
  Home h;
  ASSERT_TRUE(h.start());
  EXPECT_EQ(h.app.nav.Latitude, 0.0f);
  h.app.nav.Latitude = 52.37f;
  h.app.nav.Longitude = -4.125f;
  h.stop();

  App again(AppPaths::inFolder(h.dir.path()), h.clock, h.prompter, h.sound);
  again.loadSettings();
  ASSERT_TRUE(again.openDatabase({}));
  again.loadSystemSettings();
  EXPECT_FLOAT_EQ(again.nav.Latitude, 52.37f);
  EXPECT_FLOAT_EQ(again.nav.Longitude, -4.125f);
  again.closeDatabase();
}

TEST(Startup, SystemRowCreatedWhenMissingAndUnitsApplied) {
  Home h;
  {
    Database db;
    ASSERT_TRUE(createMainDatabase(db, h.file("gps.db"), h.clock.now()).ok());
    ASSERT_TRUE(db.execute(QStringLiteral("DELETE FROM System")).ok());
  }
  ASSERT_TRUE(h.start());
  EXPECT_EQ(h.app.db.scalar(QStringLiteral("SELECT count(*) FROM System WHERE id = 1")).toInt(), 1);
  EXPECT_EQ(h.app.settings.system.ellipse, 39);
  EXPECT_EQ(h.app.settings.system.logInterval, 1800);
  EXPECT_EQ(h.app.settings.system.icon, QStringLiteral(" "));
  h.stop();

  struct Row {
    const char* legend;
    const char* units;
    float factor;
  } rows[] = {{"kilometres", "Km", 1.852f}, {"statute miles", "M", 1.15078f}, {"nautical miles", "Nm", 1.0f}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    Home k;
    {
      Database db;
      ASSERT_TRUE(createMainDatabase(db, k.file("gps.db"), k.clock.now()).ok());
      db.execute(QStringLiteral("UPDATE System SET units = ?, variation = -3.5, [Folder name] = 'x'"), {QString::fromUtf8(r.units)});
      db.execute(QStringLiteral("INSERT INTO Folders (folder, description) VALUES (0, 'Skipper''s charts')"));
    }
    ASSERT_TRUE(k.start());
    EXPECT_FLOAT_EQ(k.app.settings.units.UnitFactor, r.factor);
    EXPECT_FLOAT_EQ(k.app.settings.compass.UserVariation, -3.5f);
    EXPECT_EQ(k.app.panels[Panel::Folder], QStringLiteral("Skipper's charts"));
    k.stop();
  }
}

// Text where numbers belong, missing columns: the defaults, no crash, nothing lost.
TEST(Startup, DamagedSystemRowGivesDefaults) {
  Home h;
  {
    Database db;
    ASSERT_TRUE(createMainDatabase(db, h.file("gps.db"), h.clock.now()).ok());
    ASSERT_TRUE(db.execute(QStringLiteral("UPDATE System SET speed = 'fast', latitude = 'north', ellipse = NULL, "
                                          "[Log interval] = '1e999'"))
                    .ok());
    ASSERT_TRUE(db.deleteField(QStringLiteral("System"), QStringLiteral("Track interval")).ok());
  }
  ASSERT_TRUE(h.start());
  const SystemSettings& s = h.app.settings.system;
  EXPECT_EQ(s.speed, 5);
  EXPECT_EQ(s.latitude, 0);
  EXPECT_EQ(s.ellipse, 39);
  EXPECT_EQ(s.trackInterval, 60);
  EXPECT_EQ(s.logInterval, 1800);
  h.app.nav.Latitude = 10;
  h.stop();
  Database db;
  ASSERT_TRUE(db.open(h.file("gps.db")).ok());
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT speed FROM System")).toString(), QStringLiteral("fast"));
  EXPECT_EQ(db.scalar(QStringLiteral("SELECT latitude FROM System")).toDouble(), 10);
}

TEST(Startup, UnusableDatabaseAsksForAnother) {
  struct Row {
    const char* legend;
    QByteArray content;  // of the configured file; empty: an old database at version 3
    int message;
  } rows[] = {
      {"not a database", QByteArray("This is not a database at all\n").repeated(100), Msg::DatabaseNotFound},
      {"empty file", QByteArray(), Msg::DatabaseNotFound},
      {"version 3", QByteArray("v3"), Msg::DatabaseWrongVersion},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    Home h;
    const QString bad = h.file("bad.db");
    if (r.content == "v3") {
      Database db;
      ASSERT_TRUE(testing::makeOldDatabase(db, bad, 4, {"UPDATE Version SET version = 3"}).ok());
    } else {
      QFile f(bad);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(r.content);
    }
    const QByteArray before = [&] {
      QFile f(bad);
      f.open(QIODevice::ReadOnly);
      return f.readAll();
    }();
    h.app.ini.set(QStringLiteral("GPS"), QStringLiteral("Database"), bad);
    // Without a choice the program ends.
    int asked = 0;
    EXPECT_FALSE(h.start([&] {
      ++asked;
      return QString();
    }));
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(h.prompter.entries().size(), 1u);
    EXPECT_EQ(h.prompter.entries()[0].kind, Prompter::Kind::Critical);
    EXPECT_EQ(h.prompter.lastText(), MessageText(r.message));
    EXPECT_FALSE(h.app.db.isOpen());
    QFile f(bad);
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.readAll(), before);  // the file was not touched
    // With a choice it goes on with that file and keeps it.
    Database good;
    ASSERT_TRUE(createMainDatabase(good, h.file("good.db"), h.clock.now()).ok());
    good.close();
    h.prompter.clear();
    EXPECT_TRUE(h.start([&] { return h.file("good.db"); }));
    EXPECT_EQ(h.app.settings.Database, h.file("good.db"));
    h.stop();
    EXPECT_EQ(h.app.ini.get(QStringLiteral("GPS"), QStringLiteral("Database")), h.file("good.db"));
  }
}

TEST(Startup, DamagedFileIsNotUsedNorWritten) {
  Home h;
  const QString path = h.file("gps.db");
  {
    Database db;
    ASSERT_TRUE(createMainDatabase(db, path, h.clock.now()).ok());
    db.beginTrans();
    for (int i = 0; i < 2000; ++i)
      db.execute(QStringLiteral("INSERT INTO Waypoints (description, Datum) VALUES (?, 0)"), {QStringLiteral("W%1").arg(i)});
    db.commitTrans();
  }
  QByteArray bytes;
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_GT(f.size(), 40 * 4096);
    f.seek(30 * 4096);  // a page in the middle of the waypoints
    f.write(QByteArray(4096, '\xA5'));
    f.seek(0);
    bytes = f.readAll();
  }
  int asked = 0;
  EXPECT_FALSE(h.start([&] {
    ++asked;
    return QString();
  }));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(h.prompter.lastText(), MessageText(Msg::DatabaseNotFound));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), bytes);
}

TEST(Startup, MissingTablesAndFieldsAreAddedWithoutLosingRows) {
  Home h;
  {
    Database db;
    ASSERT_TRUE(createMainDatabase(db, h.file("gps.db"), h.clock.now()).ok());
    db.execute(QStringLiteral("INSERT INTO Log ([Entry type], memo, depth) VALUES (1, 'kept', 12.5)"));
    ASSERT_TRUE(db.dropTable(QStringLiteral("Ships")).ok());
    ASSERT_TRUE(db.deleteField(QStringLiteral("Log"), QStringLiteral("memo")).ok());
  }
  ASSERT_TRUE(h.start());
  EXPECT_TRUE(h.prompter.empty());
  EXPECT_TRUE(h.app.db.hasTable(QStringLiteral("Ships")));
  EXPECT_TRUE(h.app.db.hasField(QStringLiteral("Log"), QStringLiteral("memo")));
  EXPECT_EQ(h.app.db.scalar(QStringLiteral("SELECT depth FROM Log")).toDouble(), 12.5);
  auto rs = h.app.db.openRecordset(QStringLiteral("SELECT * FROM Ships OrdER BY name"));
  EXPECT_TRUE(rs->lastResult().ok());
  EXPECT_TRUE(rs->eof());
  h.stop();
}

TEST(Startup, OldDatabaseUpgradedAtStartWithACopyKept) {
  Home h;
  {
    Database db;
    ASSERT_TRUE(testing::makeOldDatabase(db, h.file("gps.db"), 4).ok());
  }
  ASSERT_TRUE(h.start());
  EXPECT_EQ(h.app.db.scalar(QStringLiteral("SELECT version FROM Version")).toInt(), 13);
  EXPECT_EQ(h.app.db.scalar(QStringLiteral("SELECT [Date last used] FROM Version")).toString(), QStringLiteral("2026-12-07T03:00:00"));
  EXPECT_TRUE(QFile::exists(h.file("gps.db.v4.bak")));
  EXPECT_FLOAT_EQ(h.app.settings.units.UnitFactor, 1.852f);  // the old row said Km
  EXPECT_FLOAT_EQ(h.app.nav.Latitude, 52.5f);
  h.stop();
}

TEST(Startup, SlashOptionsRaiseTheirActions) {
  struct Row {
    const char* legend;
    bool c, s, l;
    QString last, active;
    bool wantComm, wantSearch, wantChanged;
    QString wantActive;
  } rows[] = {
      {"none", false, false, false, "Chart A", "", false, false, false, ""},
      {"c", true, false, false, "", "", true, false, false, ""},
      {"s", false, true, false, "", "", false, true, false, ""},
      {"l with a last chart", false, false, true, "Chart A", "Other", false, false, true, "Chart A"},
      {"l with the chart already active", false, false, true, "Chart A", "Chart A", false, false, false, "Chart A"},
      {"l without a last chart", false, false, true, "", "Other", false, false, false, "Other"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    Home h;
    h.app.ini.set(QStringLiteral("Chart"), QStringLiteral("Last"), r.last);
    h.app.options.startCommunication = r.c;
    h.app.options.searchChart = r.s;
    h.app.options.loadLastChart = r.l;
    h.app.activeChart = r.active;
    bool started = false;
    h.app.startCommunication = [&] { started = true; };
    ASSERT_TRUE(h.start());
    EXPECT_EQ(started, r.wantComm);
    EXPECT_EQ(h.app.requests.searchChart, r.wantSearch);
    EXPECT_EQ(h.app.requests.chartChanged, r.wantChanged);
    EXPECT_EQ(h.app.activeChart, r.wantActive);
    h.stop();
  }
}

TEST(Startup, StartLogAtStartup) {
  Home h;
  {
    Database db;
    ASSERT_TRUE(createMainDatabase(db, h.file("gps.db"), h.clock.now()).ok());
    db.execute(QStringLiteral("UPDATE System SET [Start log] = -1"));
  }
  QString event;
  h.app.startLogging = [&](const QString& e) { event = e; };
  ASSERT_TRUE(h.start());
  EXPECT_EQ(event, QStringLiteral("Start logging"));
  h.stop();
}

TEST(Startup, InstallerCopyTakenOnFirstRunOnly) {
  struct Row {
    const char* legend;
    bool userDatabase;
  } rows[] = {{"no database yet", false}, {"the user's database stays", true}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    Home h;
    {
      Database delivered;
      ASSERT_TRUE(createMainDatabase(delivered, h.file("gps_ins.db"), h.clock.now()).ok());
      delivered.execute(QStringLiteral("INSERT INTO Waypoints (description, Datum) VALUES ('delivered', 0)"));
    }
    if (r.userDatabase) {
      Database mine;
      ASSERT_TRUE(createMainDatabase(mine, h.file("gps.db"), h.clock.now()).ok());
      mine.execute(QStringLiteral("INSERT INTO Waypoints (description, Datum) VALUES ('mine', 0)"));
    }
    Registry reg(h.app.ini, h.prompter);
    reg.KeyCompanyName = QStringLiteral("Kelvorn");
    reg.KeyProductName = QStringLiteral("Tavrik Pro");
    reg.KeySection = QStringLiteral("3.0");
    reg.ValueName = QStringLiteral("First");
    reg.ValueData = QStringLiteral("YES");
    ASSERT_TRUE(reg.SaveSetting());
    ASSERT_TRUE(h.start());
    EXPECT_FALSE(QFile::exists(h.file("gps_ins.db")));
    EXPECT_EQ(h.app.db.scalar(QStringLiteral("SELECT description FROM Waypoints")).toString(),
              r.userDatabase ? QStringLiteral("mine") : QStringLiteral("delivered"));
    EXPECT_EQ(reg.GetSetting().toString(), QStringLiteral("No"));
    h.stop();
  }
}

TEST(RegistryClass, PropertiesAndMessages) {
  QTemporaryDir dir;
  SettingsStore ini(dir.filePath(QStringLiteral("GPS.ini")));
  RecordingPrompter prompter;
  Registry reg(ini, prompter);
  reg.KeyCompanyName = QStringLiteral("Kelvorn");
  reg.KeyProductName = QStringLiteral("Tavrik Pro");
  reg.ValueName = QStringLiteral("First");
  EXPECT_FALSE(reg.GetSetting().isValid());
  ASSERT_EQ(prompter.entries().size(), 1u);
  EXPECT_EQ(prompter.lastText(), QStringLiteral("KeySection-property bevat geen waarde."));
  EXPECT_EQ(prompter.entries()[0].title, QStringLiteral("Registry [GetSetting]"));
  reg.KeySection = QStringLiteral("3.0");
  EXPECT_EQ(reg.keyPath(), QStringLiteral("Software\\Kelvorn\\Tavrik Pro\\3.0"));
  reg.ValueData = QVariantList{1, 2};
  EXPECT_FALSE(reg.SaveSetting());
  EXPECT_EQ(prompter.lastText(), QStringLiteral("Unsupported datatype"));
  reg.ValueData = 42;
  EXPECT_TRUE(reg.SaveSetting());
  reg.ValueName = QStringLiteral("Flag");
  reg.ValueData = true;
  EXPECT_TRUE(reg.SaveSetting());
  EXPECT_EQ(reg.CountValues(), 2);
  reg.ValueName = QStringLiteral("First");
  EXPECT_EQ(reg.GetSetting().toString(), QStringLiteral("42"));
  EXPECT_TRUE(reg.SaveWindowSetting(QStringLiteral("gpslog"), QRect(10, 20, 300, 200)));
  EXPECT_EQ(reg.GetWindowSetting(QStringLiteral("gpslog")), QRect(10, 20, 300, 200));
  EXPECT_EQ(reg.GetWindowSetting(QStringLiteral("none"), QRect(1, 2, 3, 4)), QRect(1, 2, 3, 4));
  EXPECT_EQ(reg.GetAllKeys(), QStringList{QStringLiteral("Windows")});
  EXPECT_TRUE(reg.DeleteSetting());
  EXPECT_FALSE(reg.GetSetting().isValid());
}

}  // namespace
}  // namespace tavrik
