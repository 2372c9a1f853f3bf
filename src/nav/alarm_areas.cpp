#include "nav/alarm_areas.h"

#include <map>

#include "store/database.h"

namespace tavrik {

AlarmAreas LoadAlarmAreas(Database& db, const std::function<LatLon(LatLon, int)>& toOwnDatum) {
  AlarmAreas areas;
  if (!db.isOpen()) return areas;
  const auto convert = [&](double lat, double lon, int datum) {
    const LatLon p{lat, lon};
    return toOwnDatum ? toOwnDatum(p, datum) : p;
  };
  // One pass over the points instead of one query per zone.
  std::map<long, std::vector<LatLon>> corners;
  {
    auto pts = db.openRecordset(QStringLiteral("SELECT * FROM [Zone Points] OrdER BY Zone, Point"));
    for (; !pts->eof(); pts->moveNext())
      corners[static_cast<long>(pts->integer("Zone"))].push_back(
          convert(pts->number("latitude"), pts->number("longitude"), static_cast<int>(pts->integer("Datum"))));
  }
  {
    auto zones = db.openRecordset(QStringLiteral("SELECT * FROM [Zones] OrdER BY Name"));
    for (; !zones->eof(); zones->moveNext()) {
      AlarmZone z;
      z.key = static_cast<long>(zones->integer("zone"));
      z.name = zones->text("Name").trimmed();
      z.corners = std::move(corners[z.key]);
      if (z.corners.size() >= 3) areas.zones.push_back(std::move(z));
    }
  }
  {
    auto wps = db.openRecordset(QStringLiteral("SELECT * FROM Waypoints WHERE proximity > 0"));
    for (; !wps->eof(); wps->moveNext()) {
      ProximityWaypoint w;
      w.key = static_cast<long>(wps->integer("Waypoint"));
      w.name = wps->text("description").trimmed();
      w.pos = convert(wps->number("latitude"), wps->number("longitude"), static_cast<int>(wps->integer("datum")));
      w.radiusNm = wps->number("proximity");
      areas.waypoints.push_back(std::move(w));
    }
  }
  return areas;
}

}  // namespace tavrik
