#include "nav/waypoint_upload.h"

#include <algorithm>

#include "core/settings_store.h"
#include "nmea/nmea_checksum.h"

namespace tavrik {

WplLayout loadWplLayout(const SettingsStore& ini) {
  WplLayout l;
  l.header = ini.get(QStringLiteral("GPWPL"), QStringLiteral("WPLNmea"), QStringLiteral("$GPWPL"));
  l.decimals = std::clamp(ini.getInt(QStringLiteral("GPWPL"), QStringLiteral("WPLDecimals"), 2), 0, 9);
  l.number = ini.getBool(QStringLiteral("GPWPL"), QStringLiteral("WPLNumber"), true);
  l.maxNumber = std::max(ini.getInt(QStringLiteral("GPWPL"), QStringLiteral("WPLMaxnumber"), 99), 1);
  l.name = ini.getBool(QStringLiteral("GPWPL"), QStringLiteral("WPLName"), true);
  l.maxName = std::clamp(ini.getInt(QStringLiteral("GPWPL"), QStringLiteral("WPLMaxname"), 47), 0, 80);
  l.fill = ini.get(QStringLiteral("GPWPL"), QStringLiteral("WPLFillchar"), QString()).left(1);
  return l;
}

int loadWplInterval(const SettingsStore& ini) {
  return std::clamp(ini.getInt(QStringLiteral("GPWPL"), QStringLiteral("WPLInterval"), 0), 0, 3600);
}

void saveWplLayout(SettingsStore& ini, const WplLayout& l, int intervalSeconds) {
  const QString s = QStringLiteral("GPWPL");
  ini.set(s, QStringLiteral("WPLNmea"), l.header);
  ini.setInt(s, QStringLiteral("WPLDecimals"), l.decimals);
  ini.setBool(s, QStringLiteral("WPLNumber"), l.number);
  ini.setInt(s, QStringLiteral("WPLMaxnumber"), l.maxNumber);
  ini.setBool(s, QStringLiteral("WPLName"), l.name);
  ini.setInt(s, QStringLiteral("WPLMaxname"), l.maxName);
  ini.set(s, QStringLiteral("WPLFillchar"), l.fill);
  ini.setInt(s, QStringLiteral("WPLInterval"), intervalSeconds);
}

QString uploadQuery(const QStringList& groups, const QStringList& types) {
  if (groups.isEmpty() && types.isEmpty()) return {};
  QString sql = QStringLiteral("SELECT * FROM Waypoints ");
  if (!groups.isEmpty()) sql += QStringLiteral(" WHERE Waypoints.Group IN (") + groups.join(QStringLiteral(", ")) + ')';
  if (!types.isEmpty())
    sql += (groups.isEmpty() ? QStringLiteral(" WHERE Type IN (") : QStringLiteral(" AND Type IN (")) +
           types.join(QStringLiteral(", ")) + ')';
  return sql + QStringLiteral(" ORDER BY GROUP, DESCRIPTION");
}

WaypointUpload::WaypointUpload(WplLayout layout, std::vector<UploadWaypoint> waypoints)
    : m_layout(std::move(layout)), m_waypoints(std::move(waypoints)) {
  m_total = static_cast<int>(m_waypoints.size());
  if (m_layout.number) m_total = std::min(m_total, std::max(m_layout.maxNumber, 0));
}

QByteArray WaypointUpload::next() {
  if (finished()) return {};
  const UploadWaypoint& w = m_waypoints[static_cast<size_t>(m_next)];
  ++m_next;
  return (NmeaChecksum(buildWpl(m_layout, w.lat, w.lon, m_next, w.description)) + QStringLiteral("\r\n")).toLatin1();
}

}  // namespace tavrik
