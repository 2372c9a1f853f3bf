// Start-up and shutdown of the database side of the program, through the App, in
// temporary homes.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/app.h"
#include "core/messages.h"
#include "core/registry.h"
#include "old_layouts.h"
#include "store/schema.h"
#include "store/system_row.h"
#include "store_checks.h"

namespace tavrik {
namespace {

class Home {
 public:
  Home() : app(AppPaths::inFolder(dir.path()), clock, prompter, sound) {}
  QString file(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
  // A new database in the home, changed by the statements given.
  void makeDatabase(const char* name, const QStringList& sql = {}) {
    Database db;
    ASSERT_TRUE(createMainDatabase(db, file(name), clock.now()).ok());
    for (const QString& s : sql) ASSERT_TRUE(db.execute(s).ok()) << s.toStdString();
  }
  QByteArray bytes(const char* name) const {
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // Start-up as far as the database goes.
  bool start(std::function<QString(const QString&)> choose = {}) {
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
  QVariant scalar(const char* sql) { return app.db.scalar(QString::fromUtf8(sql)); }

  QTemporaryDir dir;
  FakeClock clock{QDateTime(QDate(2026, 12, 7), QTime(3, 0))};
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  App app;
};

TEST(Startup, FirstStartCreatesASeededDatabaseAndKeepsThePosition) {
  Home h;
  ASSERT_TRUE(h.start());
  EXPECT_TRUE(h.prompter.empty());
  EXPECT_EQ(h.app.settings.Database, h.file("gps.db"));
  testing::expectScalars(h.app.db, {{"SELECT version FROM Version WHERE Id = 1", 13},
                                    {"SELECT description FROM Datums WHERE datum = 0", "Default"},
                                    {"SELECT description FROM Ellipsoids WHERE ellipse = 0", "Default"},
                                    {"SELECT majoraxis FROM Ellipsoids WHERE ellipse = 39", 6378137.0},
                                    {"SELECT ellipse FROM Datums WHERE description = 'WGS-84'", 39},
                                    {"SELECT count(*) FROM [Waypoint types]", 1},
                                    {"SELECT count(*) FROM [Waypoint groups]", 1}});
  for (const QString& t : builtinLogEntryTypes())
    EXPECT_EQ(h.app.db.scalar("SELECT count(*) FROM [Log entry types] WHERE description = ?", {t}).toInt(), 1)
        << t.toStdString();
  // The database's datums serve the conversion.
  const auto wgs = h.app.datumLookup.datum(1);
  ASSERT_TRUE(wgs);
  EXPECT_EQ(wgs->description, "WGS-84");
  EXPECT_DOUBLE_EQ(wgs->majorAxis, 6378137.0);
  EXPECT_FALSE(h.app.datumLookup.datum(4242));
  EXPECT_EQ(h.app.nav.Latitude, 0.0f);
  h.app.nav.Latitude = 52.37f;
  h.app.nav.Longitude = -4.125f;
  h.stop();
  EXPECT_FALSE(h.app.datumLookup.datum(1));  // closed

  // The last position survives a restart.
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
  h.makeDatabase("gps.db", {"DELETE FROM System"});
  ASSERT_TRUE(h.start());
  EXPECT_EQ(h.scalar("SELECT count(*) FROM System WHERE id = 1").toInt(), 1);
  EXPECT_EQ(h.app.settings.system.ellipse, 39);
  EXPECT_EQ(h.app.settings.system.logInterval, 1800);
  EXPECT_EQ(h.app.settings.system.icon, " ");
  h.stop();

  // Units, variation and local time follow the row.
  const std::pair<const char*, float> rows[] = {{"Km", 1.852f}, {"M", 1.15078f}, {"Nm", 1.0f}};
  for (const auto& [units, factor] : rows) {
    SCOPED_TRACE(units);
    Home k;
    k.makeDatabase("gps.db", {QStringLiteral("UPDATE System SET units = '%1', variation = -3.5, [Local time] = -3,"
                                             " [Folder name] = 'x'").arg(units),
                              "INSERT INTO Folders (folder, description) VALUES (0, 'Skipper''s charts')"});
    ASSERT_TRUE(k.start());
    EXPECT_FLOAT_EQ(k.app.settings.units.UnitFactor, factor);
    EXPECT_FLOAT_EQ(k.app.settings.compass.UserVariation, -3.5f);
    EXPECT_EQ(k.app.settings.LocalTimeOffset(), -3);
    EXPECT_EQ(k.app.panels[Panel::Folder], "Skipper's charts");
    k.stop();
  }
}

// Text where numbers belong, missing columns: the defaults, no crash, nothing lost.
TEST(Startup, DamagedSystemRowGivesDefaults) {
  Home h;
  h.makeDatabase("gps.db", {"UPDATE System SET speed = 'fast', latitude = 'north', ellipse = NULL, "
                            "[Log interval] = '1e999'"});
  {
    Database db;
    ASSERT_TRUE(db.open(h.file("gps.db")).ok());
    ASSERT_TRUE(db.deleteField("System", "Track interval").ok());
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
  testing::expectScalars(db, {{"SELECT speed FROM System", "fast"}, {"SELECT latitude FROM System", 10}});
}

// A file that is no database (a damaged page in the middle included) or one of too old
// a version is not used nor written; the user is asked for another, and without a
// choice the program ends.
TEST(Startup, UnusableDatabaseAsksForAnother) {
  const struct {
    const char* legend;
    QByteArray content;  // of the configured file; "v3": an old database at version 3
    int message;
  } rows[] = {
      {"not a database", QByteArray("This is not a database at all\n").repeated(100), Msg::DatabaseNotFound},
      {"empty file", QByteArray(), Msg::DatabaseNotFound},
      {"damaged page", "damaged", Msg::DatabaseNotFound},
      {"version 3", "v3", Msg::DatabaseWrongVersion},
      // A configured file that has gone is asked for, not replaced by a new empty database.
      {"configured file gone", "missing", Msg::DatabaseNotFound},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    Home h;
    const QString bad = h.file("bad.db");
    if (r.content == "v3") {
      Database db;
      ASSERT_TRUE(testing::makeOldDatabase(db, bad, 4, {"UPDATE Version SET version = 3"}).ok());
    } else if (r.content == "damaged") {
      h.makeDatabase("bad.db", {"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 1999)"
                                " INSERT INTO Waypoints (description, Datum) SELECT 'W' || i, 0 FROM n"});
      QFile f(bad);
      ASSERT_TRUE(f.open(QIODevice::ReadWrite));
      ASSERT_GT(f.size(), 40 * 4096);
      f.seek(30 * 4096);  // a page in the middle of the waypoints
      f.write(QByteArray(4096, '\xA5'));
    } else if (r.content != "missing") {
      QFile f(bad);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(r.content);
    }
    const QByteArray before = h.bytes("bad.db");
    h.app.ini.set("GPS", "Database", bad);
    int asked = 0;
    EXPECT_FALSE(h.start([&](const QString& failed) {
      EXPECT_EQ(failed, bad);
      ++asked;
      return QString();
    }));
    EXPECT_EQ(QFileInfo::exists(bad), r.content != "missing");
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(h.prompter.entries().size(), 1u);
    EXPECT_EQ(h.prompter.entries()[0].kind, Prompter::Kind::Critical);
    EXPECT_EQ(h.prompter.lastText(), MessageText(r.message));
    EXPECT_FALSE(h.app.db.isOpen());
    EXPECT_EQ(h.bytes("bad.db"), before);  // the file was not touched
    // With a choice it goes on with that file and keeps it.
    h.makeDatabase("good.db");
    h.prompter.clear();
    EXPECT_TRUE(h.start([&](const QString&) { return h.file("good.db"); }));
    EXPECT_EQ(h.app.settings.Database, h.file("good.db"));
    h.stop();
    EXPECT_EQ(h.app.ini.get("GPS", "Database"), h.file("good.db"));
  }
}

TEST(Startup, MissingTablesAndFieldsAreAddedWithoutLosingRows) {
  Home h;
  h.makeDatabase("gps.db", {"INSERT INTO Log ([Entry type], memo, depth) VALUES (1, 'kept', 12.5)"});
  {
    Database db;
    ASSERT_TRUE(db.open(h.file("gps.db")).ok());
    ASSERT_TRUE(db.dropTable("Ships").ok());
    ASSERT_TRUE(db.deleteField("Log", "memo").ok());
  }
  ASSERT_TRUE(h.start());
  EXPECT_TRUE(h.prompter.empty());
  EXPECT_TRUE(h.app.db.hasTable("Ships"));
  EXPECT_TRUE(h.app.db.hasField("Log", "memo"));
  EXPECT_EQ(h.scalar("SELECT depth FROM Log").toDouble(), 12.5);
  auto rs = h.app.db.openRecordset("SELECT * FROM Ships OrdER BY name");
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
  testing::expectScalars(h.app.db, {{"SELECT version FROM Version", 13},
                                    {"SELECT [Date last used] FROM Version", "2026-12-07T03:00:00"}});
  EXPECT_TRUE(QFile::exists(h.file("gps.db.v4.bak")));
  EXPECT_FLOAT_EQ(h.app.settings.units.UnitFactor, 1.852f);  // the old row said Km
  EXPECT_FLOAT_EQ(h.app.nav.Latitude, 52.5f);
  h.stop();
}

TEST(Startup, SlashOptionsAndStartLogRaiseTheirActions) {
  const struct {
    const char* legend;
    bool c, s, l, log;
    QString last, active;
    bool wantComm, wantSearch, wantChanged;
    QString wantActive;
  } rows[] = {
      {"none", false, false, false, false, "Chart A", "", false, false, false, ""},
      {"c", true, false, false, false, "", "", true, false, false, ""},
      {"s", false, true, false, false, "", "", false, true, false, ""},
      {"l with a last chart", false, false, true, false, "Chart A", "Other", false, false, true, "Chart A"},
      {"l with the chart already active", false, false, true, false, "Chart A", "Chart A", false, false, false,
       "Chart A"},
      {"l without a last chart", false, false, true, false, "", "Other", false, false, false, "Other"},
      {"start log in the System row", false, false, false, true, "", "", false, false, false, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    Home h;
    if (r.log) h.makeDatabase("gps.db", {"UPDATE System SET [Start log] = -1"});
    h.app.ini.set("Chart", "Last", r.last);
    h.app.options.startCommunication = r.c;
    h.app.options.searchChart = r.s;
    h.app.options.loadLastChart = r.l;
    h.app.activeChart = r.active;
    bool started = false;
    QString event;
    h.app.startCommunication = [&] { started = true; };
    h.app.startLogging = [&](const QString& e) { event = e; };
    ASSERT_TRUE(h.start());
    EXPECT_EQ(started, r.wantComm);
    EXPECT_EQ(h.app.requests.searchChart, r.wantSearch);
    EXPECT_EQ(h.app.requests.chartChanged, r.wantChanged);
    EXPECT_EQ(h.app.activeChart, r.wantActive);
    EXPECT_EQ(event, r.log ? "Start logging" : "");
    h.stop();
  }
}

Registry tavrikKey(SettingsStore& ini, Prompter& prompter, const char* section) {
  Registry reg(ini, prompter);
  reg.KeyCompanyName = "Kelvorn";
  reg.KeyProductName = "Tavrik Pro";
  reg.KeySection = QString::fromUtf8(section);
  reg.ValueName = "First";
  return reg;
}

TEST(Startup, InstallerCopyTakenOnFirstRunOnly) {
  for (bool userDatabase : {false, true}) {
    SCOPED_TRACE(userDatabase ? "the user's database stays" : "no database yet");
    Home h;
    h.makeDatabase("gps_ins.db", {"INSERT INTO Waypoints (description, Datum) VALUES ('delivered', 0)"});
    if (userDatabase) h.makeDatabase("gps.db", {"INSERT INTO Waypoints (description, Datum) VALUES ('mine', 0)"});
    Registry reg = tavrikKey(h.app.ini, h.prompter, "3.0");
    reg.ValueData = "YES";
    ASSERT_TRUE(reg.SaveSetting());
    ASSERT_TRUE(h.start());
    EXPECT_FALSE(QFile::exists(h.file("gps_ins.db")));
    EXPECT_EQ(h.scalar("SELECT description FROM Waypoints").toString(), userDatabase ? "mine" : "delivered");
    EXPECT_EQ(reg.GetSetting().toString(), "No");
    h.stop();
  }
}

TEST(RegistryClass, PropertiesAndMessages) {
  QTemporaryDir dir;
  SettingsStore ini(dir.filePath("GPS.ini"));
  RecordingPrompter prompter;
  Registry reg = tavrikKey(ini, prompter, "");
  EXPECT_FALSE(reg.GetSetting().isValid());
  ASSERT_EQ(prompter.entries().size(), 1u);
  EXPECT_EQ(prompter.lastText(), "KeySection-property bevat geen waarde.");
  EXPECT_EQ(prompter.entries()[0].title, "Registry [GetSetting]");
  reg.KeySection = "3.0";
  EXPECT_EQ(reg.keyPath(), "Software\\Kelvorn\\Tavrik Pro\\3.0");
  reg.ValueData = QVariantList{1, 2};
  EXPECT_FALSE(reg.SaveSetting());
  EXPECT_EQ(prompter.lastText(), "Unsupported datatype");
  reg.ValueData = 42;
  EXPECT_TRUE(reg.SaveSetting());
  reg.ValueName = "Flag";
  reg.ValueData = true;
  EXPECT_TRUE(reg.SaveSetting());
  EXPECT_EQ(reg.CountValues(), 2);
  reg.ValueName = "First";
  EXPECT_EQ(reg.GetSetting().toString(), "42");
  EXPECT_TRUE(reg.SaveWindowSetting("gpslog", QRect(10, 20, 300, 200)));
  EXPECT_EQ(reg.GetWindowSetting("gpslog"), QRect(10, 20, 300, 200));
  EXPECT_EQ(reg.GetWindowSetting("none", QRect(1, 2, 3, 4)), QRect(1, 2, 3, 4));
  EXPECT_EQ(reg.GetAllKeys(), QStringList{"Windows"});
  EXPECT_TRUE(reg.DeleteSetting());
  EXPECT_FALSE(reg.GetSetting().isValid());
}

}  // namespace
}  // namespace tavrik
