#include "transfer/magellan_protocol.h"

#include <QTimeZone>
#include <cmath>

namespace tavrik::magellan {

QString checksumText(QStringView body) {
  unsigned x = 0;
  for (QChar c : body) x ^= c.unicode() & 0xFF;
  return QStringLiteral("%1").arg(x, 2, 16, QLatin1Char('0')).toUpper();
}

QByteArray sentence(const QString& s) {
  return (s + QLatin1Char('*') + checksumText(QStringView(s).mid(1)) + QStringLiteral("\r\n")).toLatin1();
}

static QString coordinate(double degrees, int degreeDigits, char positive, char negative) {
  // Whole thousandths of a minute first, so 59.9996' becomes the next degree.
  const qint64 thousandths = std::llround(std::abs(degrees) * 60000.0);
  const qint64 whole = thousandths / 60000;
  const double minutes = static_cast<double>(thousandths % 60000) / 1000.0;
  return QStringLiteral("%1%2,%3")
      .arg(whole, degreeDigits, 10, QLatin1Char('0'))
      .arg(minutes, 6, 'f', 3, QLatin1Char('0'))
      .arg(QLatin1Char(degrees < 0 ? negative : positive));
}

QString latitudeField(double d) { return coordinate(d, 2, 'N', 'S'); }
QString longitudeField(double d) { return coordinate(d, 3, 'E', 'W'); }

std::optional<double> parseCoordinate(const QString& value, const QString& hemisphere, bool longitude) {
  const int digits = longitude ? 3 : 2;
  if (value.size() <= digits) return std::nullopt;
  bool okD = false, okM = false;
  const int deg = value.left(digits).toInt(&okD);
  const double min = value.mid(digits).toDouble(&okM);
  if (!okD || !okM || min < 0 || min >= 60) return std::nullopt;
  double v = deg + min / 60.0;
  if (v > (longitude ? 180 : 90)) return std::nullopt;
  if (hemisphere == QLatin1String("S") || hemisphere == QLatin1String("W")) v = -v;
  else if (hemisphere != QLatin1String("N") && hemisphere != QLatin1String("E")) return std::nullopt;
  return v;
}

QStringList LineAssembler::onBytes(QByteArrayView bytes) {
  QStringList lines;
  for (char c : bytes) {
    if (c == '\r') {
      lines << QString::fromLatin1(m_line);
      m_line.clear();
    } else if (c != '\n') {
      // A line no receiver sends: keep the tail only, so noise cannot grow without end.
      if (m_line.size() >= 1024) m_line.clear();
      m_line.append(c);
    }
  }
  return lines;
}

QStringList splitSentence(const QString& line, QString* type) {
  const QString l = line.trimmed();
  if (!l.startsWith(QLatin1String("$PMGN")) || l.size() < 8) return {};
  QString body = l.mid(5);
  const qsizetype star = body.indexOf(QLatin1Char('*'));
  if (star >= 0) body.truncate(star);
  QStringList f = body.split(QLatin1Char(','));
  *type = f.takeFirst();
  return f;
}

std::optional<Version> parseVersion(const QStringList& f) {
  if (f.size() < 2) return std::nullopt;
  bool ok = false;
  Version v;
  v.productId = f[0].toInt(&ok);
  if (!ok) return std::nullopt;
  v.version = f[1];
  v.description = f.mid(2).join(QLatin1Char(','));
  return v;
}

std::optional<garmin::WaypointRecord> parseWaypoint(const QStringList& f) {
  if (f.size() < 7) return std::nullopt;
  const auto lat = parseCoordinate(f[0], f[1], false);
  const auto lon = parseCoordinate(f[2], f[3], true);
  if (!lat || !lon) return std::nullopt;
  garmin::WaypointRecord w;
  w.latitude = *lat;
  w.longitude = *lon;
  w.ident = f[6].left(6).trimmed();
  if (f.size() > 7) w.comment = f[7].left(40).trimmed();
  if (f.size() > 8) w.symbol = f[8].toInt();
  return w;
}

std::optional<garmin::TrackPoint> parseTrackPoint(const QStringList& f, const QDate& today) {
  if (f.size() < 4) return std::nullopt;
  const auto lat = parseCoordinate(f[0], f[1], false);
  const auto lon = parseCoordinate(f[2], f[3], true);
  if (!lat || !lon) return std::nullopt;
  garmin::TrackPoint p;
  p.latitude = *lat;
  p.longitude = *lon;
  QTime time = f.size() > 6 ? QTime::fromString(f[6].left(6), QStringLiteral("HHmmss")) : QTime();
  QDate date = f.size() > 9 ? QDate::fromString(f[9].left(6), QStringLiteral("ddMMyy")) : QDate();
  if (date.isValid() && date.year() < 1980) date = date.addYears(100);
  if (time.isValid()) p.timeUtc = QDateTime(date.isValid() ? date : today, time, Qt::UTC);
  return p;
}

std::optional<RouteMessage> parseRoute(const QStringList& f) {
  if (f.size() < 4) return std::nullopt;
  RouteMessage m;
  bool ok1 = false, ok2 = false, ok3 = false;
  m.total = f[0].toInt(&ok1);
  m.number = f[1].toInt(&ok2);
  m.route = f[3].section(QLatin1Char(' '), 0, 0).toInt(&ok3);  // "1" or "1 FOO"
  if (!ok1 || !ok2 || !ok3) return std::nullopt;
  if (f[2] == QLatin1String("m")) {
    m.names = true;
    m.name = f.mid(4).join(QLatin1Char(',')).trimmed();
  } else if (f[2] == QLatin1String("c")) {
    for (qsizetype i = 4; i < f.size(); i += 2)
      if (!f[i].trimmed().isEmpty()) m.waypoints << f[i].trimmed();
  } else {
    return std::nullopt;
  }
  return m;
}

QString waypointSentence(const garmin::WaypointRecord& w) {
  return QStringLiteral("$PMGNWPL,") + latitudeField(w.latitude) + QLatin1Char(',') + longitudeField(w.longitude) +
         QStringLiteral(",0,M,") + w.ident.left(6).leftJustified(6) + QLatin1Char(',') + w.comment.left(40).leftJustified(40) +
         QStringLiteral(",,0");
}

QStringList routeSentences(int routeNumber, const QString& name, const QStringList& idents) {
  // The total is the number of messages really sent: one per pair, one for a last
  // single ident, one for the name.
  const qsizetype total = (idents.size() + 1) / 2 + 1;
  QStringList out;
  int number = 1;
  for (qsizetype i = 0; i < idents.size(); i += 2) {
    QString s = QStringLiteral("$PMGNRTE,%1,%2,c,%3 FOO,").arg(total).arg(number++).arg(routeNumber) + idents[i] + QStringLiteral(",a,");
    if (i + 1 < idents.size()) s += idents[i + 1] + QStringLiteral(",a,");
    out << s;
  }
  out << QStringLiteral("$PMGNRTE,%1,%2,m,%3 FOO,").arg(total).arg(number).arg(routeNumber) + name;
  return out;
}

}  // namespace tavrik::magellan
