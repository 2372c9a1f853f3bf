#pragma once
// Zone and proximity alarms. The vessel is tested against the zones and proximity
// waypoints themselves, in latitude and longitude projected locally around it, so the
// alarm keeps watching with no chart loaded or when the vessel has sailed off the
// chart; the regions the chart last drew count as well (a hook), so what the crew sees
// drawn around them always raises the alarm.
//
// States: armed -> inside (alarm) -> acknowledged (disarmed) -> outside every area
// (armed again).

#include <QString>
#include <functional>
#include <vector>

#include "geo/nav_math.h"

namespace tavrik {

struct AlarmZone {
  long key = 0;  // `zone`
  QString name;
  std::vector<LatLon> corners;  // in point order, closed implicitly
};

struct ProximityWaypoint {
  long key = 0;  // `Waypoint`
  QString name;
  LatLon pos;
  double radiusNm = 0;
};

struct AlarmAreas {
  std::vector<AlarmZone> zones;
  std::vector<ProximityWaypoint> waypoints;  // only those with a radius above 0
};

// Whether `p` lies in the zone or circle, in a local equirectangular projection
// centred on `p` (nautical miles east and north). Points on the border count as inside.
bool InsideZone(const AlarmZone& zone, LatLon p);
bool InsideProximity(const ProximityWaypoint& wp, LatLon p);

class ZoneAlarm {
 public:
  void setAreas(AlarmAreas areas) { m_areas = std::move(areas); }
  const AlarmAreas& areas() const { return m_areas; }
  // True when the regions the chart drew last contain the position; unset: none.
  std::function<bool(double lat, double lon)> drawnRegionContains;

  // `checkzone`: after every position update.
  void checkzone(double lat, double lon);
  // Acknowledge (the alarm indicator clicked): silent until the vessel has been
  // outside every area once.
  void acknowledge() { m_armed = false; }
  // The signalling tick: whether the alarm shows now.
  bool alarmShowing() const { return m_inside && m_armed; }
  bool inside() const { return m_inside; }
  bool armed() const { return m_armed; }
  // Name of the zone or waypoint the last check found the vessel in, for the indicator.
  const QString& insideName() const { return m_insideName; }

 private:
  AlarmAreas m_areas;
  bool m_inside = false;
  bool m_armed = true;
  QString m_insideName;
};

}  // namespace tavrik
