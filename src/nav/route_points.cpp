#include "nav/route_points.h"

#include "geo/nav_math.h"
#include "store/database.h"

namespace tavrik {

QString routePointsQuery(int route) {
  return QStringLiteral("SELECT Waypoints.* FROM [Route points], Waypoints ") +
         QStringLiteral(" WHERE [Route points].Waypoint = Waypoints.Waypoint") + QStringLiteral(" AND [Route points].Route = ") +
         QString::number(route) + QStringLiteral(" OrdER BY [Route points].Sequence");
}

std::vector<GotoTarget> loadRoutePoints(Database& db, int route) {
  std::vector<GotoTarget> points;
  if (!db.isOpen()) return points;
  auto rs = db.openRecordset(routePointsQuery(route));
  for (; rs && !rs->eof(); rs->moveNext())
    points.push_back({static_cast<int>(rs->integer(QStringLiteral("Waypoint"))), rs->text(QStringLiteral("description")),
                      rs->number(QStringLiteral("latitude")), rs->number(QStringLiteral("longitude")),
                      rs->flag(QStringLiteral("approachable"))});
  return points;
}

double routeLengthNm(const std::vector<GotoTarget>& points) {
  double total = 0;
  for (size_t i = 1; i < points.size(); ++i) {
    CalcRecord r;
    r.Lat1 = points[i - 1].lat;
    r.Lon1 = points[i - 1].lon;
    r.Lat2 = points[i].lat;
    r.Lon2 = points[i].lon;
    RhumbCourseDistance(r);
    total += r.Distance;
  }
  return total;
}

}  // namespace tavrik
