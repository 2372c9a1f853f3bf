#include "transfer/gpx_store.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <cmath>
#include <limits>
#include <string_view>

#include "store/sql_text.h"

namespace tavrik {
namespace {

constexpr int kDescriptionLength = 50;

// A description not yet used in `table`: the name itself, else "name (2)", ...
QString freeName(Database& db, const QString& table, const QString& name) {
  const QString base = name.left(kDescriptionLength);
  const QString sql = QStringLiteral("SELECT COUNT(*) FROM [%1] WHERE Description = ?").arg(table);
  QString candidate = base;
  for (int n = 2; db.scalar(sql, {candidate}).toInt() > 0; ++n) {
    const QString suffix = QStringLiteral(" (%1)").arg(n);
    candidate = base.left(kDescriptionLength - suffix.size()) + suffix;
  }
  return candidate;
}

class Importer {
 public:
  Importer(Database& db, const QDateTime& now, GpxImportResult& result)
      : m_db(db), m_stamp(dbDateText(now)), m_result(result) {}

  bool run(const GpxDocument& doc, const QString& groupName) {
    m_wgs84 = m_db.scalar(QStringLiteral("SELECT datum FROM Datums WHERE description = 'WGS-84'")).toInt();
    m_type = m_db.scalar(QStringLiteral("SELECT MIN(Type) FROM [Waypoint types]")).toInt();
    const QString group = freeName(m_db, QStringLiteral("Waypoint groups"), groupName);
    if (!ok(m_db.execute(QStringLiteral("INSERT INTO [Waypoint groups] (description, created) VALUES (?, ?)"),
                         {group, m_stamp})))
      return false;
    m_group = m_db.lastInsertId();
    m_result.group = group;
    int unnamed = 0;
    for (const GpxPoint& p : doc.waypoints) {
      if (!waypoint(p, p.name.isEmpty() ? QStringLiteral("WPT%1").arg(++unnamed, 3, 10, QLatin1Char('0')) : p.name))
        return false;
      ++m_result.waypoints;
    }
    int routeNumber = 0;
    for (const GpxRoute& r : doc.routes) {
      ++routeNumber;
      const QString name = freeName(m_db, QStringLiteral("Routes"),
                                    r.name.isEmpty() ? QStringLiteral("%1 route %2").arg(groupName).arg(routeNumber) : r.name);
      if (!ok(m_db.execute(QStringLiteral("INSERT INTO Routes (Description, created) VALUES (?, ?)"), {name, m_stamp})))
        return false;
      const qint64 route = m_db.lastInsertId();
      int point = 0;
      for (const GpxPoint& p : r.points) {
        ++point;
        const qint64 key = waypoint(p, p.name.isEmpty() ? QStringLiteral("%1 %2").arg(name).arg(point) : p.name);
        if (!key || !ok(m_db.execute(QStringLiteral("INSERT INTO [Route points] (Route, Waypoint, created) VALUES (?, ?, ?)"),
                                     {route, key, m_stamp})))
          return false;
        ++m_result.routePoints;
      }
      ++m_result.routes;
    }
    int trackNumber = 0;
    for (const GpxTrack& t : doc.tracks) {
      ++trackNumber;
      const QString name = freeName(m_db, QStringLiteral("Tracks"),
                                    t.name.isEmpty() ? QStringLiteral("%1 track %2").arg(groupName).arg(trackNumber) : t.name);
      if (!ok(m_db.execute(QStringLiteral("INSERT INTO Tracks (Description, created) VALUES (?, ?)"), {name, m_stamp})))
        return false;
      if (!trackPoints(m_db.lastInsertId(), t)) return false;
      ++m_result.tracks;
    }
    return true;
  }
  QString error() const { return m_error; }

 private:
  bool ok(const StoreResult& r) {
    if (!r.ok() && m_error.isEmpty()) m_error = r.detail;
    return r.ok();
  }
  qint64 waypoint(const GpxPoint& p, const QString& wanted) {
    // The same name at the same place is the same waypoint (a route visiting a
    // waypoint of the file, or a file imported twice into its own group).
    const QString name = wanted.left(kDescriptionLength);
    const QVariant same = m_db.scalar(
        QStringLiteral("SELECT Waypoint FROM Waypoints WHERE Description = ? AND abs(Latitude - ?) < 1e-7 AND "
                       "abs(Longitude - ?) < 1e-7 AND Datum = ?"),
        {name, p.lat, p.lon, m_wgs84});
    if (same.isValid() && !same.isNull()) return same.toLongLong();
    const QString description = freeName(m_db, QStringLiteral("Waypoints"), name);
    if (!ok(m_db.execute(QStringLiteral("INSERT INTO Waypoints (description, Latitude, Longitude, Type, [Group], proximity, "
                                        "approachable, memo, created, Datum) VALUES (?, ?, ?, ?, ?, 0, -1, ?, ?, ?)"),
                         {description, p.lat, p.lon, m_type, m_group, p.description, m_stamp, m_wgs84})))
      return 0;
    return m_db.lastInsertId();
  }
  bool trackPoints(qint64 track, const GpxTrack& t) {
    // One prepared insert for all points: a long track is a hundred thousand rows.
    sqlite3_stmt* insert = nullptr;
    const QByteArray sql =
        QByteArrayLiteral("INSERT INTO [Track data] (Track, Latitude, Longitude, date) VALUES (?, ?, ?, ?)");
    int rc = sqlite3_prepare_v2(m_db.handle(), sql.constData(), static_cast<int>(sql.size()), &insert, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_finalize(insert);
      return ok(m_db.fail(rc, QStringLiteral("Track data")));
    }
    rc = SQLITE_DONE;
    auto add = [&](double lat, double lon, const QDateTime& time) {
      sqlite3_bind_int64(insert, 1, track);
      sqlite3_bind_double(insert, 2, lat);
      sqlite3_bind_double(insert, 3, lon);
      if (time.isValid()) {
        const std::string_view date = localDateText(time);
        sqlite3_bind_text(insert, 4, date.data(), static_cast<int>(date.size()), SQLITE_STATIC);
      } else {
        sqlite3_bind_null(insert, 4);
      }
      rc = sqlite3_step(insert);
      sqlite3_reset(insert);
      return rc == SQLITE_DONE;
    };
    bool first = true, good = true;
    for (const auto& seg : t.segments) {
      // A break row between segments, as the track file marks a lost fix.
      if (!first && !(good = add(0.0, 0.0, QDateTime()))) break;
      first = false;
      for (const GpxPoint& p : seg) {
        if (!(good = add(p.lat, p.lon, p.time))) break;
        ++m_result.trackPoints;
      }
      if (!good) break;
    }
    sqlite3_finalize(insert);
    return good || ok(m_db.fail(rc, QStringLiteral("Track data")));
  }

  Database& m_db;
  QString m_stamp;
  qint64 m_offsetMinute = std::numeric_limits<qint64>::min();
  int m_offset = 0;

  // A UTC time as the database's local date text, valid until the next call. The zone's offset is looked up once
  // per minute of the track (offsets change only on whole minutes) and the text is
  // written without Qt's general formatter: a long track has a time on every point.
  std::string_view localDateText(const QDateTime& utc) {
    const qint64 secs = utc.toSecsSinceEpoch();
    const qint64 minute = secs >= 0 ? secs / 60 : (secs - 59) / 60;
    if (minute != m_offsetMinute) {
      m_offset = utc.toLocalTime().offsetFromUtc();
      m_offsetMinute = minute;
    }
    const QDateTime local = QDateTime::fromSecsSinceEpoch(secs + m_offset, Qt::UTC);
    const QDate d = local.date();
    const QTime t = local.time();
    if (d.year() < 0 || d.year() > 9999) {
      m_oddDate = dbDateText(utc.toLocalTime()).toUtf8();
      return std::string_view(m_oddDate.constData(), static_cast<size_t>(m_oddDate.size()));
    }
    const auto put = [this](int at, int value, int digits) {
      for (int i = at + digits - 1; i >= at; --i, value /= 10) m_date[i] = static_cast<char>('0' + value % 10);
    };
    put(0, d.year(), 4), put(5, d.month(), 2), put(8, d.day(), 2);
    put(11, t.hour(), 2), put(14, t.minute(), 2), put(17, t.second(), 2);
    return std::string_view(m_date, sizeof m_date - 1);
  }
  char m_date[20] = "0000-00-00T00:00:00";
  QByteArray m_oddDate;
  GpxImportResult& m_result;
  QString m_error;
  int m_wgs84 = 0, m_type = 0;
  qint64 m_group = 0;
};

GpxPoint pointFrom(double lat, double lon, int datum, int wgs84, const DatumLookup& datums) {
  CalcRecord c;
  c.Lat1 = lat;
  c.Lon1 = lon;
  c.Datum1 = datum;
  c.Datum2 = wgs84;
  DatumConvert(c, datums);
  GpxPoint p;
  p.lat = c.Lat2;
  p.lon = c.Lon2;
  return p;
}

// Keys of the named rows of table (all rows when names is empty and all is set).
bool keysOf(Database& db, const QString& table, const QString& keyColumn, const QStringList& names, bool all,
            std::vector<std::pair<qint64, QString>>& out, QString& error) {
  if (all) {
    const auto rs = db.openRecordset(QStringLiteral("SELECT %1, Description FROM [%2] ORDER BY Description").arg(keyColumn, table));
    for (; rs && !rs->eof(); rs->moveNext()) out.emplace_back(rs->integer(keyColumn), rs->text(QStringLiteral("Description")));
    return true;
  }
  for (const QString& n : names) {
    const QVariant key = db.scalar(QStringLiteral("SELECT %1 FROM [%2] WHERE Description = ?").arg(keyColumn, table), {n});
    if (!key.isValid() || key.isNull()) {
      error = QStringLiteral("no %1 named \"%2\"").arg(table == QLatin1String("Waypoints") ? QStringLiteral("waypoint")
                                                       : table == QLatin1String("Routes")  ? QStringLiteral("route")
                                                                                           : QStringLiteral("track"),
                                                       n);
      return false;
    }
    out.emplace_back(key.toLongLong(), n);
  }
  return true;
}

}  // namespace

bool importGpx(Database& db, const GpxDocument& doc, const QString& groupName, GpxImportResult& result, QString& error,
               const QDateTime& now) {
  result = GpxImportResult{};
  if (const StoreResult r = db.beginTrans(); !r.ok()) {
    error = r.detail;
    return false;
  }
  Importer importer(db, now, result);
  if (!importer.run(doc, groupName.isEmpty() ? QStringLiteral("GPX") : groupName)) {
    db.rollback();
    error = importer.error();
    result = GpxImportResult{};
    return false;
  }
  if (const StoreResult r = db.commitTrans(); !r.ok()) {
    db.rollback();
    error = r.detail;
    result = GpxImportResult{};
    return false;
  }
  return true;
}

bool importGpxFile(Database& db, const QString& path, GpxImportResult& result, QString& error, const QDateTime& now) {
  GpxDocument doc;
  if (!readGpxFile(path, doc, error)) return false;
  return importGpx(db, doc, QFileInfo(path).completeBaseName(), result, error, now);
}

bool collectGpx(Database& db, const DatumLookup& datums, const GpxSelection& selection, GpxDocument& out,
                QString& error) {
  out = GpxDocument{};
  const bool all = selection.everything();
  const int wgs84 = db.scalar(QStringLiteral("SELECT datum FROM Datums WHERE description = 'WGS-84'")).toInt();
  std::vector<std::pair<qint64, QString>> waypoints, routes, tracks;
  if (!keysOf(db, QStringLiteral("Waypoints"), QStringLiteral("Waypoint"), selection.waypoints, all, waypoints, error) ||
      !keysOf(db, QStringLiteral("Routes"), QStringLiteral("route"), selection.routes, all, routes, error) ||
      !keysOf(db, QStringLiteral("Tracks"), QStringLiteral("Track"), selection.tracks, all, tracks, error))
    return false;
  auto waypointPoint = [&](Recordset& rs) {
    GpxPoint p = pointFrom(rs.number(QStringLiteral("Latitude")), rs.number(QStringLiteral("Longitude")),
                           static_cast<int>(rs.integer(QStringLiteral("Datum"))), wgs84, datums);
    p.name = rs.text(QStringLiteral("Description"));
    p.description = rs.text(QStringLiteral("memo"));
    return p;
  };
  for (const auto& [key, name] : waypoints) {
    const auto rs = db.openRecordset(QStringLiteral("SELECT * FROM Waypoints WHERE Waypoint = %1").arg(key));
    if (rs && !rs->eof()) out.waypoints.push_back(waypointPoint(*rs));
  }
  for (const auto& [key, name] : routes) {
    GpxRoute r;
    r.name = name;
    const auto rs = db.openRecordset(QStringLiteral("SELECT W.* FROM [Route points] AS P INNER JOIN Waypoints AS W ON "
                                                    "P.Waypoint = W.Waypoint WHERE P.Route = %1 ORDER BY P.Sequence")
                                         .arg(key));
    for (; rs && !rs->eof(); rs->moveNext()) r.points.push_back(waypointPoint(*rs));
    out.routes.push_back(std::move(r));
  }
  for (const auto& [key, name] : tracks) {
    GpxTrack t;
    t.name = name;
    t.segments.emplace_back();
    const auto rs = db.openRecordset(QStringLiteral("SELECT * FROM [Track data] WHERE Track = %1 ORDER BY rowid").arg(key));
    for (; rs && !rs->eof(); rs->moveNext()) {
      const double lat = rs->number(QStringLiteral("Latitude")), lon = rs->number(QStringLiteral("Longitude"));
      if (lat == 0 && lon == 0) {
        if (!t.segments.back().empty()) t.segments.emplace_back();
        continue;
      }
      GpxPoint p;
      p.lat = lat;
      p.lon = lon;
      const QDateTime when = rs->isNull(QStringLiteral("date")) ? QDateTime() : rs->date(QStringLiteral("date"));
      if (when.isValid()) p.time = when.toUTC();
      t.segments.back().push_back(p);
    }
    if (t.segments.back().empty()) t.segments.pop_back();
    out.tracks.push_back(std::move(t));
  }
  return true;
}

GpxTrack gpxTrackFromRecords(const std::vector<TrackRecord>& records, int datum, Database& db,
                             const DatumLookup& datums, const QString& name) {
  const int wgs84 = db.scalar(QStringLiteral("SELECT datum FROM Datums WHERE description = 'WGS-84'")).toInt();
  GpxTrack t;
  t.name = name;
  t.segments.emplace_back();
  for (const TrackRecord& r : records) {
    if (r.isBreak()) {
      if (!t.segments.back().empty()) t.segments.emplace_back();
      continue;
    }
    GpxPoint p = pointFrom(r.lat, r.lon, datum, wgs84, datums);
    p.time = fromDateSerial(r.time).toUTC();
    t.segments.back().push_back(p);
  }
  if (t.segments.back().empty()) t.segments.pop_back();
  return t;
}

bool exportGpx(Database& db, const DatumLookup& datums, const QString& path, const GpxSelection& selection,
               QString& error) {
  GpxDocument doc;
  return collectGpx(db, datums, selection, doc, error) && writeGpxFile(path, doc, error);
}

}  // namespace tavrik
