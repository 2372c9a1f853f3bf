#include "ships/ship_report.h"

#include "core/local_time.h"
#include "nmea/sentence_parsers.h"
#include "ships/radar_parsers.h"
#include "store/database.h"

namespace tavrik {
namespace {

int twoDigits(std::string_view s, size_t at) {
  if (s.size() < at + 2) return -1;
  const char a = s[at], b = s[at + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
  return (a - '0') * 10 + (b - '0');
}

}  // namespace

double speedInKnots(double speed, const QString& unit) {
  const QString u = unit.toUpper();
  if (u == QLatin1String("M")) return speed / kStatuteMilesPerNm;
  if (u == QLatin1String("K")) return speed / kKmPerNm;
  return speed;
}

std::optional<ShipReport> readShipReport(const SentenceFields& f, int localOffsetHours) {
  if (f.size() < kShipsMinElements) return std::nullopt;
  ShipReport r;
  if (!readPosition(f[4], f[5], f[6], f[7], r.latitude, r.longitude)) return std::nullopt;
  r.name = QString::fromLatin1(f[1].data(), static_cast<qsizetype>(f[1].size()));
  const auto str = [&](int i) { return QString::fromLatin1(f[i].data(), static_cast<qsizetype>(f[i].size())); };
  r.speed = static_cast<float>(speedInKnots(leniField(f[8]), str(9)));
  r.course = static_cast<float>(leniField(f[10]));
  r.windSpeed = static_cast<float>(speedInKnots(leniField(f[11]), str(12)));
  r.windDirection = static_cast<float>(leniField(f[13]));
  const int h = twoDigits(f[2], 0), m = twoDigits(f[2], 2), s = twoDigits(f[2], 4);
  const int day = twoDigits(f[3], 0), month = twoDigits(f[3], 2), year = twoDigits(f[3], 4);
  if (h >= 0 && m >= 0 && s >= 0 && day >= 0 && month >= 0 && year >= 0) {
    const LocalFix local = toLocalTime(h, m, s, localOffsetHours);
    const QDate date(fullYear(year), month, day);
    if (date.isValid() && local.time.isValid()) r.lastUpdated = QDateTime(date.addDays(local.dayShift), local.time);
  }
  return r;
}

StoreResult storeShipReport(Database& db, const ShipReport& report, const QDateTime& now) {
  if (StoreResult begun = db.beginTrans(); !begun) return begun;
  // The name is bound, never spliced into the text: a name with a quote is stored as written.
  StoreResult res;
  const QVariant existing = db.scalar(QStringLiteral("SELECT COUNT(*) FROM Ships WHERE Name = ?"), {report.name}, &res);
  if (res && existing.toLongLong() == 0)
    res = db.execute(QStringLiteral("INSERT INTO Ships (Name, created) VALUES (?, ?)"), {report.name, now});
  if (res)
    res = db.execute(QStringLiteral("UPDATE Ships SET latitude = ?, longitude = ?, speed = ?, course = ?, "
                                    "[wind direction] = ?, [wind speed] = ?, [Last updated] = ? WHERE Name = ?"),
                     {report.latitude, report.longitude, static_cast<double>(report.speed),
                      static_cast<double>(report.course), static_cast<double>(report.windDirection),
                      static_cast<double>(report.windSpeed),
                      report.lastUpdated.isValid() ? QVariant(report.lastUpdated) : QVariant(now), report.name});
  if (!res) {
    db.rollback();
    return res;
  }
  return db.commitTrans();
}

}  // namespace tavrik
