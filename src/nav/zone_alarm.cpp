#include "nav/zone_alarm.h"

#include <algorithm>
#include <cmath>

namespace tavrik {

namespace {

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

struct LocalPoint {
  double east = 0, north = 0;  // nautical miles
};

// The longitude nearest to `reference`, by whole turns: a zone across the date line
// stays one piece.
double Unwrap(double lon, double reference) { return reference + std::remainder(lon - reference, 360.0); }

// Equirectangular around the vessel: a minute of latitude is a mile, a minute of
// longitude the cosine of the vessel's latitude; areas a few miles across stay within
// a fraction of a percent of the chart's Mercator picture. Longitudes are taken
// relative to an anchor (the zone's first corner) so that a far zone cannot wrap
// around the vessel.
LocalPoint Project(LatLon p, double anchorLon, LatLon vessel) {
  const double cosLat = std::cos(vessel.lat * kDegToRad);
  const double lon = Unwrap(p.lon, anchorLon), vesselLon = Unwrap(vessel.lon, anchorLon);
  return {(lon - vesselLon) * 60.0 * cosLat, (p.lat - vessel.lat) * 60.0};
}

bool OnSegment(LocalPoint a, LocalPoint b) {
  const double cross = a.east * b.north - a.north * b.east;
  const double scale = std::max({std::abs(a.east), std::abs(a.north), std::abs(b.east), std::abs(b.north), 1e-9});
  if (std::abs(cross) > 1e-12 * scale * scale) return false;
  return a.east * b.east + a.north * b.north <= 0;  // the origin lies between a and b
}

}  // namespace

bool InsideZone(const AlarmZone& zone, LatLon p) {
  if (zone.corners.size() < 3) return false;
  // Crossing count of a ray from the vessel (the origin) eastwards.
  bool inside = false;
  const double anchorLon = zone.corners.front().lon;
  LocalPoint prev = Project(zone.corners.back(), anchorLon, p);
  for (const LatLon& c : zone.corners) {
    const LocalPoint cur = Project(c, anchorLon, p);
    if (OnSegment(prev, cur)) return true;
    if ((cur.north > 0) != (prev.north > 0)) {
      const double east = prev.east + (0 - prev.north) * (cur.east - prev.east) / (cur.north - prev.north);
      if (east > 0) inside = !inside;
    }
    prev = cur;
  }
  return inside;
}

bool InsideProximity(const ProximityWaypoint& wp, LatLon p) {
  if (!(wp.radiusNm > 0)) return false;
  const LocalPoint d = Project(wp.pos, wp.pos.lon, p);
  return std::hypot(d.east, d.north) <= wp.radiusNm;
}

void ZoneAlarm::checkzone(double lat, double lon) {
  const LatLon p{lat, lon};
  QString found;
  bool hit = false;
  for (const AlarmZone& z : m_areas.zones)
    if (InsideZone(z, p)) {
      hit = true;
      found = z.name;
      break;
    }
  if (!hit)
    for (const ProximityWaypoint& w : m_areas.waypoints)
      if (InsideProximity(w, p)) {
        hit = true;
        found = w.name;
        break;
      }
  if (!hit && drawnRegionContains && drawnRegionContains(lat, lon)) hit = true;
  if (hit) {
    m_inside = true;
    m_insideName = found;
    return;
  }
  m_inside = false;
  m_armed = true;
  m_insideName.clear();
}

}  // namespace tavrik
