#pragma once
// Keeps downloaded records in the database: waypoints (a download overwrites the
// waypoint of the same description), proximity waypoints, routes (a downloaded route
// replaces the points of the route of the same name) and tracks. Positions arrive in
// WGS-84 and are stored in the chosen datum. One transaction per transfer: committed
// when the transfer completes, rolled back when it fails, so a broken transfer leaves
// the database as it was.

#include <functional>

#include "core/clock.h"
#include "geo/datum.h"
#include "store/database.h"
#include "transfer/transfer_sink.h"

namespace tavrik {

struct DownloadTarget {
  int datum = 0;  // key in Datums
  int type = 0;   // key in Waypoint types
  int group = 0;  // key in Waypoint groups
  bool oneTrack = false;  // "Import as 1 track"
  ReceiverKind kind = ReceiverKind::Garmin;
};

// What was stored, for listings (one JSON line per record in tavrik-gps).
struct StoredRecord {
  enum class Kind { Waypoint, Route, RoutePoint, Track, TrackPoint } kind;
  qint64 key = 0;
  QString description;
  double latitude = 0, longitude = 0;  // in the target datum
  double proximityNm = 0;
  QDateTime time;
};

class TransferStore final : public TransferSink {
 public:
  // `display` sees every report too (status, progress, labels); may be null.
  TransferStore(Database& db, const DatumLookup& datums, const Clock& clock, DownloadTarget target,
                TransferSink* display = nullptr);
  ~TransferStore() override;

  // Opens the transfer's transaction; false (with error()) when the database refuses.
  bool begin();
  QString error() const { return m_error; }
  int storedCount() const { return m_stored; }
  std::function<void(const StoredRecord&)> onStored;

  void setStatus(const QString& s) override;
  void appendStatus(const QString& s) override;
  void recordsExpected(int n) override;
  void recordShown(const QString& s) override;
  void waypoint(const garmin::WaypointRecord& w, bool proximity) override;
  void routeHeader(const garmin::RouteHeader& h) override;
  void routeWaypoint(const garmin::WaypointRecord& w) override;
  void trackPoint(const garmin::TrackPoint& p) override;
  void recordRejected(const QString& s) override;
  void completed() override;
  void failed(const QString& s) override;

  void routeNamed(const QString& description) override;
  bool routePointNamed(const QString& ident) override;

 private:
  std::pair<double, double> toTarget(double lat, double lon) const;
  qint64 storeWaypoint(const garmin::WaypointRecord& w, double proximityNm);
  bool check(const StoreResult& r);
  void emitStored(const StoredRecord& r) {
    ++m_stored;
    if (onStored) onStored(r);
  }

  Database& m_db;
  const DatumLookup& m_datums;
  const Clock& m_clock;
  DownloadTarget m_target;
  TransferSink* m_display;
  int m_wgs84 = 0;
  bool m_open = false;
  QString m_error;
  qint64 m_route = 0;
  qint64 m_track = 0;
  int m_trackCounter = 0;
  bool m_firstRecord = true;
  int m_stored = 0;
};

}  // namespace tavrik
