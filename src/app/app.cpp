#include "app/app.h"

#include "geo/datum.h"

#include <QFile>
#include <QFileInfo>

#include "core/messages.h"
#include "core/registry.h"
#include "geo/grid_notation.h"
#include "nav/alarm_areas.h"
#include "ships/ship_report.h"
#include "store/main_database.h"
#include "store/system_row.h"

namespace tavrik {

QStringList WindowRegistry::names() const {
  QStringList out;
  for (const auto& [name, factory] : m_factories) out << name;
  return out;
}

QWidget* WindowRegistry::create(const QString& objectName, App& app) const {
  const auto it = m_factories.find(objectName);
  return it == m_factories.end() ? nullptr : it->second(app);
}

App::App(const AppPaths& p, const Clock& c, Prompter& pr, SoundPlayer& s)
    : paths(p), ini(p.settingsFile()), clock(c), prompter(pr), sound(s) {
  radarParsers.install(receiver);
  // A ship's report is kept only with a database to keep it in; a store error drops the line.
  receiver.remoteShipParser = [this](const SentenceFields& f) {
    const std::optional<ShipReport> report = readShipReport(f, settings.LocalTimeOffset());
    if (!report || !db.isOpen()) return;
    if (storeShipReport(db, *report, clock.now())) requests.shipsChanged = true;
  };
  // Positions arrive in the receiver's datum; the chart shows its own.
  receiver.datumConversion = [this](double& lat, double& lon) {
    if (settings.system.gpsDatum == activeChartDatum) return;
    CalcRecord r;
    r.Lat1 = lat;
    r.Lon1 = lon;
    r.Datum1 = settings.system.gpsDatum;
    r.Datum2 = activeChartDatum;
    DatumConvert(r, datumLookup);
    lat = r.Lat2;
    lon = r.Lon2;
  };
  radarParsers.datumConversion = receiver.datumConversion;
  connectDialUpLink(receiver, dialUp);
  cycle.hooks.serviceModem = [this] { ships.tick(); };
  // The position panel shows the position in the notation and decimals of the
  // settings, as the position control would.
  // Step 10 of the cycle: the entries the autopilot sentences and the go-to left, then
  // everything queued.
  cycle.hooks.writePendingLog = [this] {
    for (const LogbookEvent& e : receiver.takeLogbookEvents())
      logbook.RaiseLogEntry({e.type, e.text2, e.latitude, e.longitude, e.text, false});
    for (const GotoLogEvent& e : steering.go.takeLogEvents())
      logbook.RaiseLogEntry({e.type, e.positionText, static_cast<float>(e.lat), static_cast<float>(e.lon), {}, false});
    logbook.WriteLogEntry();
  };
  startLogging = [this](const QString&) { logbook.start(); };
  // A waypoint marked or a fix drawn on the chart goes into the log with its position,
  // and the log-text window offers it next.
  edit.waypointMarked = [this](long, double lat, double lon, const QString& description) {
    logbook.lastMarked = Logbook::MarkedPosition{static_cast<float>(lat), static_cast<float>(lon)};
    logbook.RaiseLogEntry({QStringLiteral("Mark"), degreesMinutesText(lat, lon, settings.decimals()),
                           static_cast<float>(lat), static_cast<float>(lon), description, false});
  };
  edit.fixDrawn = [this](double lat, double lon) {
    logbook.lastMarked = Logbook::MarkedPosition{static_cast<float>(lat), static_cast<float>(lon)};
    logbook.RaiseLogEntry({QStringLiteral("Fix"), degreesMinutesText(lat, lon, settings.decimals()),
                           static_cast<float>(lat), static_cast<float>(lon), {}, false});
  };
  cycle.hooks.graphMinute = [this] { graphs.minuteTick(nav); };
  cycle.hooks.positionText = [this](double lat, double lon) {
    GridNotation notation;
    notation.grid = settings.system.grid;
    notation.decimals = settings.decimals();
    return notation.positionText(lat, lon);
  };
}

App::~App() = default;

void App::reloadAlarmAreas() {
  const int ownDatum = activeChartDatum;
  zoneAlarm.setAreas(LoadAlarmAreas(db, [this, ownDatum](LatLon p, int datum) {
    // Datum 0 is stored as the chart's own, as the overlays take it.
    if (datum == 0 || datum == ownDatum || ownDatum == 0) return p;
    CalcRecord r;
    r.Lat1 = p.lat;
    r.Lon1 = p.lon;
    r.Datum1 = datum;
    r.Datum2 = ownDatum;
    DatumConvert(r, datumLookup);
    return LatLon{r.Lat2, r.Lon2};
  }));
}

QString App::soundFile(const QString& name) const {
  if (name.trimmed().isEmpty()) return {};
  return QFileInfo(name).isAbsolute() ? name : paths.file(name);
}

void App::loadSettings() {
  settings.load(ini, paths);
  receiver.applySettings();
}

void App::saveSettings() {
  settings.save(ini);
  ini.sync();
}

bool App::openDatabase(const std::function<QString(const QString& failedPath)>& chooseFile) {
  const QString defaultPath = paths.file(QStringLiteral("gps.db"));
  QString path = settings.Database.trimmed();
  if (path.isEmpty()) path = defaultPath;
  // The installer has just run: its delivered database becomes the database, unless
  // the user already has one (which stays; the delivered copy goes).
  Registry installer(ini, prompter);
  installer.KeyCompanyName = QStringLiteral("Kelvorn");
  installer.KeyProductName = QStringLiteral("Tavrik Pro");
  installer.KeySection = QStringLiteral("3.0");
  installer.ValueName = QStringLiteral("First");
  const bool firstRun = installer.GetSetting().toString().trimmed().compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0;
  if (firstRun) {
    const QString delivered = paths.file(QStringLiteral("gps_ins.db"));
    if (QFile::exists(delivered) && !QFile::rename(delivered, path)) QFile::remove(delivered);
  }
  // Only the first start makes a database, at the default path. A configured file that has
  // gone (a disk not mounted, a folder renamed) is asked for, not silently replaced by an
  // empty one; a chosen file must be a database.
  bool createIfMissing = QFileInfo(path).absoluteFilePath() == QFileInfo(defaultPath).absoluteFilePath();
  for (;;) {
    const StoreResult r = openMainDatabase(db, path, clock.now(), createIfMissing);
    if (r.ok()) break;
    if (r.message == Msg::DatabaseWrongVersion) prompter.critical(MessageText(Msg::DatabaseWrongVersion));
    else prompter.critical(MessageText(r.message ? r.message : Msg::DatabaseNotFound));
    path = chooseFile ? chooseFile(path) : QString();
    if (path.isEmpty()) return false;
    createIfMissing = false;
  }
  if (firstRun) {
    installer.ValueData = QStringLiteral("No");
    installer.SaveSetting();
  }
  settings.Database = path;
  ini.set(QStringLiteral("GPS"), QStringLiteral("Database"), path);
  return true;
}

void App::loadSystemSettings() {
  SystemSettings s;
  if (db.isOpen() && !readSystemRow(db, s).ok()) s = SystemSettings();
  settings.applySystem(s);
  nav.resetRunTime();
  nav.Latitude = static_cast<float>(s.latitude);
  nav.Longitude = static_cast<float>(s.longitude);
  if (db.isOpen()) {
    auto folders = db.openRecordset(QStringLiteral("Folders"));
    if (folders->findFirst(QStringLiteral("folder = %1").arg(s.folder)))
      panels[Panel::Folder] = folders->text(QStringLiteral("description"));
  }
  reloadAlarmAreas();
}

void App::applyStartOptions() {
  if (settings.system.startLog && startLogging) startLogging(QStringLiteral("Start logging"));
  if (options.startCommunication && startCommunication) startCommunication();
  if (options.searchChart) requests.searchChart = true;
  if (options.loadLastChart && !settings.ChartLast.isEmpty() && settings.ChartLast != activeChart) {
    activeChart = settings.ChartLast;
    requests.chartChanged = true;
  }
}

void App::closeDatabase() {
  if (db.isOpen()) {
    settings.system.latitude = nav.Latitude;
    settings.system.longitude = nav.Longitude;
    writeLastPosition(db, nav.Latitude, nav.Longitude);
  }
  infoDb.close();
  db.close();
  zoneAlarm.setAreas({});
}

}  // namespace tavrik
