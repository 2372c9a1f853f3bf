#include "transfer/transfer_store.h"

#include "core/number_format.h"
#include "store/sql_text.h"

namespace tavrik {


TransferStore::TransferStore(Database& db, const DatumLookup& datums, const Clock& clock, DownloadTarget target, TransferSink* display)
    : m_db(db), m_datums(datums), m_clock(clock), m_target(target), m_display(display) {
  m_wgs84 = m_db.scalar(QStringLiteral("SELECT datum FROM Datums WHERE description = 'WGS-84'")).toInt();
}

TransferStore::~TransferStore() {
  if (m_open) m_db.rollback();
}

bool TransferStore::begin() {
  const StoreResult r = m_db.beginTrans();
  m_open = r.ok();
  if (!m_open) m_error = r.detail;
  return m_open;
}

bool TransferStore::check(const StoreResult& r) {
  if (r.ok()) return true;
  if (m_error.isEmpty()) m_error = r.detail.isEmpty() ? QStringLiteral("database error %1").arg(r.error) : r.detail;
  return false;
}

std::pair<double, double> TransferStore::toTarget(double lat, double lon) const {
  CalcRecord c;
  c.Lat1 = lat;
  c.Lon1 = lon;
  c.Datum1 = m_wgs84;
  c.Datum2 = m_target.datum;
  DatumConvert(c, m_datums);
  return {c.Lat2, c.Lon2};
}

qint64 TransferStore::storeWaypoint(const garmin::WaypointRecord& w, double proximityNm) {
  if (!m_open || !m_error.isEmpty()) return 0;
  const auto [lat, lon] = toTarget(w.latitude, w.longitude);
  const QString description = w.ident.left(50);
  const QVariant found = m_db.scalar(QStringLiteral("SELECT Waypoint FROM Waypoints WHERE Description = ?"), {description});
  const QVariantList values{lat, lon, m_target.type, m_target.group, proximityNm, -1, w.comment, dbDateText(m_clock.now()), m_target.datum};
  qint64 key = 0;
  if (found.isValid()) {
    key = found.toLongLong();
    QVariantList params = values;
    params << key;
    if (!check(m_db.execute(QStringLiteral("UPDATE Waypoints SET Latitude = ?, Longitude = ?, Type = ?, [Group] = ?, proximity = ?, "
                                           "approachable = ?, memo = ?, created = ?, Datum = ? WHERE Waypoint = ?"),
                            params)))
      return 0;
  } else {
    QVariantList params{description};
    params << values;
    if (!check(m_db.execute(QStringLiteral("INSERT INTO Waypoints (description, Latitude, Longitude, Type, [Group], proximity, "
                                           "approachable, memo, created, Datum) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                            params)))
      return 0;
    key = m_db.lastInsertId();
  }
  emitStored({StoredRecord::Kind::Waypoint, key, description, lat, lon, proximityNm, {}});
  return key;
}

void TransferStore::waypoint(const garmin::WaypointRecord& w, bool proximity) {
  if (m_display) m_display->waypoint(w, proximity);
  m_firstRecord = false;
  storeWaypoint(w, proximity ? w.distanceM / 1852.0 : 0.0);
}

void TransferStore::routeNamed(const QString& description) {
  if (!m_open || !m_error.isEmpty()) return;
  const QVariant found = m_db.scalar(QStringLiteral("SELECT route FROM Routes WHERE Description = ?"), {description});
  if (found.isValid()) {
    m_route = found.toLongLong();
    return;
  }
  if (!check(m_db.execute(QStringLiteral("INSERT INTO Routes (Description, created) VALUES (?, ?)"),
                          {description, dbDateText(m_clock.now())})))
    return;
  m_route = m_db.lastInsertId();
  emitStored({StoredRecord::Kind::Route, m_route, description, 0, 0, 0, {}});
}

void TransferStore::routeHeader(const garmin::RouteHeader& h) {
  if (m_display) m_display->routeHeader(h);
  m_firstRecord = false;
  if (!m_open || !m_error.isEmpty()) return;
  const QString name = h.comment.trimmed().isEmpty() ? QStringLiteral("Garmin") + QString::number(h.number) : h.comment.trimmed();
  const QVariant found = m_db.scalar(QStringLiteral("SELECT route FROM Routes WHERE Description = ?"), {name});
  if (found.isValid()) {
    m_route = found.toLongLong();
    // The downloaded route replaces the stored one.
    if (!check(m_db.execute(QStringLiteral("DELETE FROM [Route points] WHERE Route = ") + QString::number(m_route)))) return;
    emitStored({StoredRecord::Kind::Route, m_route, name, 0, 0, 0, {}});
    return;
  }
  routeNamed(name);
}

void TransferStore::routeWaypoint(const garmin::WaypointRecord& w) {
  if (m_display) m_display->routeWaypoint(w);
  m_firstRecord = false;
  const qint64 key = storeWaypoint(w, 0.0);
  if (key == 0 || m_route == 0) return;
  check(m_db.execute(QStringLiteral("INSERT INTO [Route points] (Route, Waypoint, created) VALUES (?, ?, ?)"),
                     {m_route, key, dbDateText(m_clock.now())}));
}

bool TransferStore::routePointNamed(const QString& ident) {
  if (!m_open || !m_error.isEmpty() || m_route == 0) return false;
  const QVariant found = m_db.scalar(QStringLiteral("SELECT Waypoint FROM Waypoints WHERE Description = ?"), {ident});
  if (!found.isValid()) return false;
  return check(m_db.execute(QStringLiteral("INSERT INTO [Route points] (Route, Waypoint, created) VALUES (?, ?, ?)"),
                            {m_route, found.toLongLong(), dbDateText(m_clock.now())}));
}

void TransferStore::trackPoint(const garmin::TrackPoint& p) {
  if (m_display) m_display->trackPoint(p);
  const bool first = m_firstRecord;
  m_firstRecord = false;
  if (!m_open || !m_error.isEmpty()) return;
  const bool starts = p.newTrack && (!m_target.oneTrack || first || m_target.kind == ReceiverKind::Magellan);
  // A first point without the flag still needs a track to belong to.
  if (starts || m_track == 0) {
    const QString name = (m_target.kind == ReceiverKind::Garmin ? QStringLiteral("[GRM-") : QStringLiteral("[MGL-")) +
                         strNumber(m_trackCounter) + QStringLiteral("] ") +
                         m_clock.now().toString(QStringLiteral("MM/dd/yyyy hh:mm:ss"));
    const QVariant found = m_db.scalar(QStringLiteral("SELECT Track FROM Tracks WHERE Description = ?"), {name});
    if (found.isValid()) {
      m_track = found.toLongLong();
    } else {
      if (!check(m_db.execute(QStringLiteral("INSERT INTO Tracks (Description, created) VALUES (?, ?)"),
                              {name, dbDateText(m_clock.now())})))
        return;
      ++m_trackCounter;
      m_track = m_db.lastInsertId();
      emitStored({StoredRecord::Kind::Track, m_track, name, 0, 0, 0, {}});
    }
  }
  const auto [lat, lon] = toTarget(p.latitude, p.longitude);
  const QDateTime local = p.timeUtc.toLocalTime();
  if (!check(m_db.execute(QStringLiteral("INSERT INTO [Track data] (Track, Latitude, Longitude, date) VALUES (?, ?, ?, ?)"),
                          {m_track, lat, lon, dbDateText(local)})))
    return;
  emitStored({StoredRecord::Kind::TrackPoint, m_track, {}, lat, lon, 0, local});
}

void TransferStore::recordsExpected(int n) {
  m_trackCounter = 0;
  if (m_display) m_display->recordsExpected(n);
}

void TransferStore::setStatus(const QString& s) {
  if (m_display) m_display->setStatus(s);
}
void TransferStore::appendStatus(const QString& s) {
  if (m_display) m_display->appendStatus(s);
}
void TransferStore::recordShown(const QString& s) {
  if (m_display) m_display->recordShown(s);
}
void TransferStore::recordRejected(const QString& s) {
  if (m_display) m_display->recordRejected(s);
}

void TransferStore::completed() {
  if (m_open) {
    m_open = false;
    if (m_error.isEmpty()) {
      check(m_db.commitTrans());
    } else {
      m_db.rollback();
    }
  }
  if (!m_error.isEmpty()) {
    if (m_display) m_display->failed(m_error);
    return;
  }
  if (m_display) m_display->completed();
}

void TransferStore::failed(const QString& s) {
  if (m_open) {
    m_open = false;
    m_db.rollback();
  }
  if (m_display) m_display->failed(s);
}

}  // namespace tavrik
