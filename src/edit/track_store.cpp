#include "edit/track_store.h"

#include "store/sql_text.h"

namespace tavrik {

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
    auto data = db.openRecordset(QStringLiteral("Track data"), &r);
    if (!r.ok()) return {SaveOutcome::Failed, r, 0};
    for (const TrackRecord& rec : records) {
      r = data->addNew();
      if (r.ok()) r = data->setValue(QStringLiteral("Track"), static_cast<qlonglong>(key));
      if (r.ok()) r = data->setValue(QStringLiteral("date"), fromDateSerial(rec.time));
      if (r.ok()) r = data->setValue(QStringLiteral("latitude"), static_cast<double>(rec.lat));
      if (r.ok()) r = data->setValue(QStringLiteral("longitude"), static_cast<double>(rec.lon));
      if (r.ok()) r = data->update();
      if (!r.ok()) return {SaveOutcome::Failed, r, 0};
    }
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
