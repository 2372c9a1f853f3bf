#pragma once
// Marking and editing single waypoints: the averaging of the position to mark, the
// checks of the mark and edit windows, and the rows they write.

#include <QDateTime>
#include <QString>
#include <cstdint>

#include "store/database.h"

namespace tavrik {

// Averages the receiver's positions once a tick; the mean is kept in double sums and
// given in single precision.
class MarkAverager {
 public:
  // Sample count after which the samples fold into one holding the mean.
  static constexpr std::int64_t kFoldAt = 2147483640;
  void add(float lat, float lon);
  std::int64_t count() const { return m_count; }
  float latitude() const { return m_count ? static_cast<float>(m_sumLat / static_cast<double>(m_count)) : 0.0f; }
  float longitude() const { return m_count ? static_cast<float>(m_sumLon / static_cast<double>(m_count)) : 0.0f; }
  void reset() { *this = MarkAverager(); }
  // Tests start near the fold.
  void restore(std::int64_t count, double sumLat, double sumLon) {
    m_count = count;
    m_sumLat = sumLat;
    m_sumLon = sumLon;
  }

 private:
  std::int64_t m_count = 0;
  double m_sumLat = 0, m_sumLon = 0;
};

struct WaypointFields {
  double latitude = 0, longitude = 0;
  QString description;
  QString proximityText = QStringLiteral("0");  // as typed, in the user's distance unit
  bool approachable = false;
  QString memo;
  long type = 0, group = 0;
  int datum = 0;
};

// The message of the first failing check (0 when all pass): the mark window checks the
// description first, the edit window the proximity first (as each always has).
int CheckNewWaypoint(const WaypointFields& f);
int CheckEditedWaypoint(const WaypointFields& f);
// The proximity stored: 0 for a text that is not a number; either decimal separator.
double ProximityValue(const QString& text);

struct WaypointWrite {
  StoreResult error;  // duplicateKey(): "Waypoint already exists"
  long key = 0;
  bool ok() const { return error.ok(); }
};

WaypointWrite AddWaypoint(Database& db, const WaypointFields& f, const QDateTime& now);
WaypointWrite UpdateWaypoint(Database& db, long key, const WaypointFields& f);
// Sets a waypoint's position (the chart's move).
StoreResult MoveWaypoint(Database& db, long key, double lat, double lon);
// Deletes a waypoint and its places in routes.
StoreResult DeleteWaypoint(Database& db, long key);
// Reads a waypoint; false when there is none.
bool ReadWaypoint(Database& db, long key, WaypointFields& f);

// "Short Date" + " " + "Long Time" of now: the description a new mark starts with.
QString MarkDescription(const QDateTime& now);

}  // namespace tavrik
