#pragma once
// Saved tracks: the current track (the records of `$GPS.$$$`) stored under a name as a
// `Tracks` row with its [Track data] rows, loaded back, deleted; each in one
// transaction.

#include <QDateTime>
#include <QString>
#include <vector>

#include "chart/track_file.h"
#include "edit/route_store.h"
#include "store/database.h"

namespace tavrik {

struct TrackEntry {
  long key = 0;
  QString description;
};

// "SELECT * FROM [Tracks] ORDER BY description".
std::vector<TrackEntry> ListTracks(Database& db, StoreResult* error = nullptr);

// NameExists for a description in use (compared trimmed, without regard to case).
SaveResult SaveTrack(Database& db, const QString& name, const std::vector<TrackRecord>& records, const QDateTime& now);

struct LoadedTrack {
  bool found = false;
  StoreResult error;
  std::vector<TrackRecord> records;  // in the order stored; breaks included
};
LoadedTrack LoadTrack(Database& db, const QString& name);

// Deletes the track's points and its row; false with `error` when that failed (then
// nothing is deleted).
bool DeleteTrack(Database& db, long key, StoreResult& error);

}  // namespace tavrik
