#include "log/logbook.h"

#include <cmath>

#include "core/messages.h"
#include "core/number_format.h"
#include "store/sql_text.h"
#include "store/system_row.h"

namespace tavrik {

LogSnapshot LogSnapshot::of(const NavigationState& nav, const QDateTime& now) {
  LogSnapshot s;
  s.date = now;
  s.latitude = nav.Latitude;
  s.longitude = nav.Longitude;
  s.sogKn = nav.SpeedOverGround;
  s.cogDeg = nav.CourseOverGround;
  s.waterSpeedKn = nav.WaterSpeed;
  s.headingMagDeg = nav.HeadingMagnetic;
  s.tripNm = nav.TripDistance;
  s.temperatureC = nav.WaterTemperature;
  s.depthM = nav.DepthMetres;
  s.pressureMb = nav.AirPressure;
  s.windDirectionDeg = nav.WindDirection;
  s.windSpeedKn = nav.WindSpeed;
  return s;
}

const QStringList& reservedLogEntryTypes() {
  static const QStringList types = {QStringLiteral("GPS"),  QStringLiteral("DGPS"), QStringLiteral("Simul"),
                                    QStringLiteral("Test"), QStringLiteral("Sony"), QStringLiteral("OLE"),
                                    QStringLiteral("Mark"), QStringLiteral("Go To"), QStringLiteral("Fix")};
  return types;
}

StoreResult writeLogRow(Database& db, const LogEntryRequest& entry, const LogSnapshot& v) {
  StoreResult r = db.beginTrans();
  if (!r) return r;
  QVariant typeNumber;  // Null for an entry without type
  const QString type = entry.type.trimmed();
  if (!type.isEmpty()) {
    const QString find = QStringLiteral("SELECT [Entry type] FROM [Log entry types] WHERE description = ?");
    typeNumber = db.scalar(find, {type}, &r);
    if (r && !typeNumber.isValid()) {
      r = db.execute(QStringLiteral("INSERT INTO [Log entry types] (description, created) VALUES (?, ?)"),
                     {type, dbDateText(v.date)});
      if (r) typeNumber = db.lastInsertId();
    }
  }
  if (r) {
    const bool withPosition = !entry.automatic;
    const auto single = [](float f) { return QVariant(static_cast<double>(f)); };
    r = db.execute(
        QStringLiteral("INSERT INTO Log ([Entry type], date, SOG, COG, speed, course, distance, temperature, depth, "
                       "pressure, [wind direction], [wind speed], position, [position lat], [position lon], latitude, "
                       "longitude, memo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {typeNumber, dbDateText(v.date), single(v.sogKn), single(v.cogDeg), single(v.waterSpeedKn),
         single(v.headingMagDeg), single(v.tripNm), single(v.temperatureC), single(v.depthM), single(v.pressureMb),
         single(v.windDirectionDeg), single(v.windSpeedKn),
         withPosition && !entry.positionText.isEmpty() ? QVariant(entry.positionText) : QVariant(),
         withPosition ? single(entry.positionLat) : QVariant(), withPosition ? single(entry.positionLon) : QVariant(),
         single(v.latitude), single(v.longitude),
         withPosition && !entry.memo.isEmpty() ? QVariant(entry.memo) : QVariant()});
  }
  if (!r) {
    db.rollback();
    return r;
  }
  return db.commitTrans();
}

int storeLogSettings(Database& db, AppSettings& settings, const QString& intervalText, bool startAtStartup,
                     StoreResult* result) {
  const QString t = intervalText.trimmed();
  if (t.isEmpty() || !isNumeric(t) || parseLocaleNumber(t) < 1) return Msg::NoLogInterval;
  SystemSettings s = settings.system;
  s.logInterval = std::round(parseLocaleNumber(t));
  s.startLog = startAtStartup;
  const StoreResult r = writeSystemRow(db, s);
  if (result) *result = r;
  if (!r) return -1;
  settings.system = s;
  return 0;
}

void Logbook::RaiseLogEntry(const LogEntryRequest& entry) {
  m_pending.push_back({entry, LogSnapshot::of(m_nav, m_clock.now())});
}

void Logbook::WriteLogEntry() {
  while (!m_pending.empty()) {
    const StoreResult r = m_db.isOpen() ? writeLogRow(m_db, m_pending.front().entry, m_pending.front().values)
                                        : StoreResult::failure(DbError::NotOpen, QStringLiteral("no database open"));
    if (!r) {
      noteFailure(r);
      return;
    }
    m_pending.pop_front();
    m_failures = 0;
    m_failureShown = false;
  }
}

void Logbook::noteFailure(const StoreResult& r) {
  // A busy file clears within a tick or two; a third failure in a row is worth telling,
  // once, while the entries keep waiting.
  if (++m_failures >= 3 && !m_failureShown) {
    m_failureShown = true;
    ShowError(m_prompter, r.error, r.detail);
  }
}

void Logbook::start() {
  m_panels[Panel::Logging] = QStringLiteral("Log is running");
  LogEntryRequest entry;
  entry.memo = QStringLiteral("Start logging");
  RaiseLogEntry(entry);
  m_seconds = 0;
  m_running = true;
  if (onRunningChanged) onRunningChanged(true);
}

void Logbook::stop() {
  m_running = false;
  if (onRunningChanged) onRunningChanged(false);
  m_panels[Panel::Logging] = QStringLiteral("Log is stopped");
}

QString Logbook::automaticEntryType() const {
  const QString source = m_panels.inputSource().trimmed();
  if (source.isEmpty()) return QStringLiteral("GPS");
  // The panel writes "Gps"; the type row is "GPS" (descriptions compare without case).
  for (const QString& t : reservedLogEntryTypes())
    if (t.compare(source, Qt::CaseInsensitive) == 0) return t;
  return source;
}

void Logbook::tick() {
  if (!m_running) return;
  // An interval below one second (or none) writes once a second, not on every call.
  const int interval = std::max(1, static_cast<int>(std::lround(m_settings.system.logInterval)));
  if (++m_seconds < interval) return;
  m_seconds = 0;
  LogEntryRequest entry;
  entry.type = automaticEntryType();
  entry.automatic = true;
  RaiseLogEntry(entry);
  WriteLogEntry();
}

}  // namespace tavrik
