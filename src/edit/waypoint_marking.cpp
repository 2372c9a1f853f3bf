#include "edit/waypoint_marking.h"

#include <QLocale>

#include "core/messages.h"
#include "core/number_format.h"

namespace tavrik {

void MarkAverager::add(float lat, float lon) {
  if (m_count >= kFoldAt) {
    // Counting goes on from one sample that holds the mean so far.
    const double meanLat = latitude(), meanLon = longitude();
    m_count = 1;
    m_sumLat = meanLat;
    m_sumLon = meanLon;
  }
  ++m_count;
  m_sumLat += lat;
  m_sumLon += lon;
}

double ProximityValue(const QString& text) {
  QString t = text.trimmed();
  t.replace(QLatin1Char(','), QLatin1Char('.'));
  return isNumeric(t) ? leniNumber(t) : 0.0;
}

int CheckNewWaypoint(const WaypointFields& f) {
  if (f.description.trimmed().isEmpty()) return Msg::DescriptionMustHaveValue;
  if (ProximityValue(f.proximityText) != 0 && f.approachable) return Msg::ProximityNotApproachable;
  return 0;
}

int CheckEditedWaypoint(const WaypointFields& f) {
  if (ProximityValue(f.proximityText) != 0 && f.approachable) return Msg::ProximityNotApproachable;
  if (f.description.trimmed().isEmpty()) return Msg::DescriptionMustHaveValue;
  return 0;
}

namespace {

StoreResult WriteFields(Recordset& rs, const WaypointFields& f) {
  StoreResult r;
  const std::pair<const char*, QVariant> fields[] = {
      {"latitude", f.latitude}, {"longitude", f.longitude}, {"description", f.description},
      {"proximity", ProximityValue(f.proximityText)}, {"approachable", f.approachable},
      {"Type", static_cast<qlonglong>(f.type)}, {"Group", static_cast<qlonglong>(f.group)}};
  for (const auto& [field, value] : fields)
    if (r.ok()) r = rs.setValue(QLatin1String(field), value);
  if (r.ok() && !f.memo.isEmpty()) r = rs.setValue(QStringLiteral("memo"), f.memo);
  return r;
}

}  // namespace

WaypointWrite AddWaypoint(Database& db, const WaypointFields& f, const QDateTime& now) {
  WaypointWrite out;
  auto rs = db.openRecordset(QStringLiteral("Waypoints"), &out.error);
  if (!out.ok()) return out;
  out.error = rs->addNew();
  if (out.ok()) out.error = WriteFields(*rs, f);
  if (out.ok()) out.error = rs->setValue(QStringLiteral("Datum"), f.datum);
  if (out.ok()) out.error = rs->setValue(QStringLiteral("created"), now);
  if (out.ok()) out.error = rs->update();
  if (!out.ok()) {
    rs->cancelUpdate();
    return out;
  }
  out.key = static_cast<long>(db.lastInsertId());
  return out;
}

WaypointWrite UpdateWaypoint(Database& db, long key, const WaypointFields& f) {
  WaypointWrite out;
  auto rs = db.openRecordset(QStringLiteral("SELECT * FROM Waypoints WHERE Waypoint = ") + QString::number(key),
                             &out.error);
  if (!out.ok()) return out;
  if (rs->eof()) {
    out.error = StoreResult::failure(DbError::NoCurrentRecord, QStringLiteral("No current record."));
    return out;
  }
  out.error = rs->edit();
  if (out.ok()) out.error = WriteFields(*rs, f);
  if (out.ok()) out.error = rs->update();
  if (!out.ok()) rs->cancelUpdate();
  out.key = key;
  return out;
}

StoreResult MoveWaypoint(Database& db, long key, double lat, double lon) {
  const StoreResult r = db.execute(QStringLiteral("UPDATE Waypoints SET latitude = ?, longitude = ? WHERE Waypoint = ?"),
                                   {lat, lon, static_cast<qlonglong>(key)});
  if (r.ok() && db.recordsAffected() == 0)
    return StoreResult::failure(DbError::NoCurrentRecord, QStringLiteral("No current record."));
  return r;
}

StoreResult DeleteWaypoint(Database& db, long key) {
  StoreResult r = db.beginTrans();
  if (!r.ok()) return r;
  // A route must not keep a place for a waypoint that is gone.
  r = db.execute(QStringLiteral("DELETE FROM [Route points] WHERE Waypoint = ?"), {static_cast<qlonglong>(key)});
  if (r.ok()) r = db.execute(QStringLiteral("DELETE FROM Waypoints WHERE Waypoint = ?"), {static_cast<qlonglong>(key)});
  if (r.ok()) r = db.commitTrans();
  if (!r.ok()) db.rollback();
  return r;
}

bool ReadWaypoint(Database& db, long key, WaypointFields& f) {
  auto rs = db.openRecordset(QStringLiteral("SELECT * FROM Waypoints WHERE Waypoint = ") + QString::number(key));
  if (rs->eof()) return false;
  f.latitude = rs->number(QStringLiteral("latitude"));
  f.longitude = rs->number(QStringLiteral("longitude"));
  f.description = rs->text(QStringLiteral("description"));
  f.proximityText = strNumber(rs->number(QStringLiteral("proximity"))).trimmed();
  f.approachable = rs->flag(QStringLiteral("approachable"));
  f.memo = rs->text(QStringLiteral("memo"));
  f.type = static_cast<long>(rs->integer(QStringLiteral("Type")));
  f.group = static_cast<long>(rs->integer(QStringLiteral("Group")));
  f.datum = static_cast<int>(rs->integer(QStringLiteral("Datum")));
  return true;
}

QString MarkDescription(const QDateTime& now) {
  const QLocale locale;
  return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
         locale.toString(now.time(), QLocale::LongFormat);
}

}  // namespace tavrik
