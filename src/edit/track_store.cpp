#include "edit/track_store.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>

#include "store/sql_text.h"

namespace tavrik {

namespace {
// The stored date text ("yyyy-MM-ddTHH:mm:ss", as every date in the database) of a date
// serial, without a QDateTime per point.
int DateText(double serial, char* out) {
  double days = std::floor(serial);
  long long ms = std::llround((serial - days) * 86400000.0);
  if (ms >= 86400000) {
    days += 1;
    ms -= 86400000;
  }
  static const qint64 kEpochJulianDay = QDate(1899, 12, 30).toJulianDay();
  const QDate d = QDate::fromJulianDay(kEpochJulianDay + static_cast<qint64>(days));
  const long long s = ms / 1000;
  return std::snprintf(out, 32, "%04d-%02d-%02dT%02d:%02lld:%02lld", d.year(), d.month(), d.day(),
                       static_cast<int>(s / 3600), (s / 60) % 60, s % 60);
}
}  // namespace

std::vector<TrackEntry> ListTracks(Database& db, StoreResult* error) {
  std::vector<TrackEntry> out;
  for (const QVariantList& row :
       db.rows(QStringLiteral("SELECT Track, description FROM [Tracks] ORDER BY description"), {}, error))
    out.push_back({static_cast<long>(row.value(0).toLongLong()), row.value(1).toString()});
  return out;
}

SaveResult SaveTrack(Database& db, const QString& name, const std::vector<TrackRecord>& records, const QDateTime& now) {
  const QString description = name.trimmed();
  SaveResult result;
  StoreResult r = db.beginTrans();
  if (!r.ok()) return {SaveOutcome::Failed, r, 0};
  const auto body = [&]() -> SaveResult {
    const QVariant taken =
        db.scalar(QStringLiteral("SELECT COUNT(*) FROM Tracks WHERE description = ?"), {description}, &r);
    if (!r.ok()) return {SaveOutcome::Failed, r, 0};
    if (taken.toLongLong() > 0) return {SaveOutcome::NameExists, {}, 0};
    r = db.execute(QStringLiteral("INSERT INTO Tracks (description, created) VALUES (?, ?)"), {description, now});
    if (!r.ok()) return {SaveOutcome::Failed, r, 0};
    const long key = static_cast<long>(db.lastInsertId());
    // One prepared insert for all points: a day's track is a hundred thousand rows.
    sqlite3_stmt* insert = nullptr;
    const QByteArray sql = QByteArrayLiteral("INSERT INTO [Track data] (Track, date, latitude, longitude) VALUES (?, ?, ?, ?)");
    int rc = sqlite3_prepare_v2(db.handle(), sql.constData(), static_cast<int>(sql.size()), &insert, nullptr);
    if (rc != SQLITE_OK) return {SaveOutcome::Failed, db.fail(rc, QStringLiteral("Track data")), 0};
    char date[32];
    for (const TrackRecord& rec : records) {
      const int length = DateText(rec.time, date);
      sqlite3_bind_int64(insert, 1, key);
      sqlite3_bind_text(insert, 2, date, length, SQLITE_STATIC);
      sqlite3_bind_double(insert, 3, static_cast<double>(rec.lat));
      sqlite3_bind_double(insert, 4, static_cast<double>(rec.lon));
      rc = sqlite3_step(insert);
      sqlite3_reset(insert);
      if (rc != SQLITE_DONE) break;
    }
    sqlite3_finalize(insert);
    if (rc != SQLITE_DONE && !records.empty()) return {SaveOutcome::Failed, db.fail(rc, QStringLiteral("Track data")), 0};
    return {SaveOutcome::Saved, {}, key};
  };
  result = body();
  if (result.saved()) {
    r = db.commitTrans();
    if (r.ok()) return result;
    result = {SaveOutcome::Failed, r, 0};
  }
  db.rollback();
  return result;
}

LoadedTrack LoadTrack(Database& db, const QString& name) {
  LoadedTrack out;
  const QVariant key = db.scalar(QStringLiteral("SELECT Track FROM Tracks WHERE description = ?"), {name}, &out.error);
  if (!out.error.ok() || !key.isValid()) return out;
  out.found = true;
  const std::vector<QVariantList> rows =
      db.rows(QStringLiteral("SELECT date, latitude, longitude FROM [Track data] WHERE Track = ") +
                  QString::number(key.toLongLong()) + QStringLiteral(" ORDER BY rowid"),
              {}, &out.error);
  out.records.reserve(rows.size());
  for (const QVariantList& row : rows) {
    const QDateTime t = dbDateFromText(row.value(0).toString());
    out.records.push_back({t.isValid() ? toDateSerial(t) : 0.0, static_cast<float>(row.value(1).toDouble()),
                           static_cast<float>(row.value(2).toDouble())});
  }
  return out;
}

bool DeleteTrack(Database& db, long key, StoreResult& error) {
  error = db.beginTrans();
  if (!error.ok()) return false;
  error = db.execute(QStringLiteral("DELETE FROM [Track data] WHERE Track = ?"), {static_cast<qlonglong>(key)});
  if (error.ok()) error = db.execute(QStringLiteral("DELETE FROM Tracks WHERE Track = ?"), {static_cast<qlonglong>(key)});
  if (error.ok()) error = db.commitTrans();
  if (error.ok()) return true;
  db.rollback();
  return false;
}

}  // namespace tavrik
