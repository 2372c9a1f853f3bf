#include "transfer/transfer_upload.h"

namespace tavrik {

namespace {

QString keepCharacters(const QString& text, int mode) {
  QString out;
  for (QChar c : text.trimmed().toUpper()) {
    const char16_t u = c.unicode();
    if ((u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || (mode == 2 && (u == '-' || u == ' '))) out += c;
  }
  return out;
}

QString keyList(const std::vector<int>& keys) {
  QStringList parts;
  for (int k : keys) parts << QString::number(k);
  return parts.join(QStringLiteral(", "));
}

int wgs84Datum(Database& db) { return db.scalar(QStringLiteral("SELECT datum FROM Datums WHERE description = 'WGS-84'")).toInt(); }

// One waypoint row as an upload record.
garmin::WaypointRecord recordOf(Recordset& rs, const DatumLookup& datums, int wgs84, const UploadOptions& options, int n) {
  CalcRecord c;
  c.Lat1 = rs.number(QStringLiteral("Latitude"));
  c.Lon1 = rs.number(QStringLiteral("Longitude"));
  c.Datum1 = static_cast<int>(rs.integer(QStringLiteral("Datum")));
  c.Datum2 = wgs84;
  DatumConvert(c, datums);
  garmin::WaypointRecord w;
  w.ident = uploadIdent(rs.text(QStringLiteral("description")), options, n);
  w.comment = nameFilter(rs.text(QStringLiteral("memo")), 40, 2);
  w.latitude = c.Lat2;
  w.longitude = c.Lon2;
  w.distanceM = static_cast<float>(rs.number(QStringLiteral("proximity")) * 1852.0);
  return w;
}

QString labelOf(Recordset& rs) {
  return rs.text(QStringLiteral("description")) + QStringLiteral(" (%1/%2)")
                                                      .arg(rs.number(QStringLiteral("Latitude")), 0, 'f', 5)
                                                      .arg(rs.number(QStringLiteral("Longitude")), 0, 'f', 5);
}

}  // namespace

QString nameFilter(const QString& text, int length, int mode) {
  const QString kept = keepCharacters(text, mode).left(length).trimmed();
  if (kept.isEmpty()) return QString(length, QLatin1Char('X'));
  return kept.leftJustified(length, QLatin1Char(' '));
}

QString uploadIdent(const QString& description, const UploadOptions& options, int n) {
  QString ident = keepCharacters(options.customDescription.isEmpty() ? description : options.customDescription, 0).left(6);
  if (options.numbering) {
    const QString number = QString::number(n);
    ident = ident.left(std::max<qsizetype>(0, 6 - number.size())) + number;
  }
  return nameFilter(ident, 6, 0);
}

UploadPlan waypointUpload(Database& db, const DatumLookup& datums, const std::vector<int>& groups,
                          const std::vector<int>& types, bool proximity, const UploadOptions& options) {
  UploadPlan plan;
  QString sql = QStringLiteral("SELECT * FROM Waypoints ");
  sql += groups.empty() ? QStringLiteral(" WHERE Type IN (") + keyList(types) + QStringLiteral(")")
                        : QStringLiteral(" WHERE Waypoints.Group IN (") + keyList(groups) + QStringLiteral(")") +
                              QStringLiteral(" AND Type IN (") + keyList(types) + QStringLiteral(")");
  sql += proximity ? QStringLiteral(" AND Proximity > 0") : QStringLiteral(" AND Proximity = 0");
  sql += QStringLiteral(" ORDER BY GROUP, DESCRIPTION");
  StoreResult r;
  auto rs = db.openRecordset(sql, &r);
  if (!r.ok()) {
    plan.error = r.detail;
    return plan;
  }
  const int wgs84 = wgs84Datum(db);
  int n = 0;
  for (; !rs->eof(); rs->moveNext()) {
    garmin::UploadItem item;
    item.kind = proximity ? garmin::UploadItem::Kind::Proximity : garmin::UploadItem::Kind::Waypoint;
    item.waypoint = recordOf(*rs, datums, wgs84, options, ++n);
    plan.items.push_back(item);
    plan.labels << labelOf(*rs);
  }
  return plan;
}

UploadPlan routeUpload(Database& db, const DatumLookup& datums, const std::vector<int>& routes, const UploadOptions& options) {
  UploadPlan plan;
  const int wgs84 = wgs84Datum(db);
  int n = 0;
  int number = options.routeNumber;
  for (int route : routes) {
    const QVariant name = db.scalar(QStringLiteral("SELECT description FROM Routes WHERE route = ") + QString::number(route));
    if (!name.isValid()) {
      plan.error = QStringLiteral("Route %1 does not exist").arg(route);
      return plan;
    }
    garmin::UploadItem header;
    header.kind = garmin::UploadItem::Kind::RouteHeader;
    header.header = {number++, nameFilter(name.toString(), 20, 2)};
    plan.items.push_back(header);
    plan.labels << name.toString();
    StoreResult r;
    auto rs = db.openRecordset(QStringLiteral(" SELECT * FROM [Route points], Waypoints") +
                                   QStringLiteral(" WHERE [Route points].waypoint = Waypoints.waypoint") +
                                   QStringLiteral(" AND Route = ") + QString::number(route) + QStringLiteral(" ORDER BY SEQUENCE"),
                               &r);
    if (!r.ok()) {
      plan.error = r.detail;
      return plan;
    }
    for (; !rs->eof(); rs->moveNext()) {
      garmin::UploadItem item;
      item.kind = garmin::UploadItem::Kind::RouteWaypoint;
      item.waypoint = recordOf(*rs, datums, wgs84, options, ++n);
      plan.items.push_back(item);
      plan.labels << labelOf(*rs);
    }
  }
  return plan;
}

}  // namespace tavrik
