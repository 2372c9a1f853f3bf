#pragma once
// The points of a stored route in their order, and its length.

#include <QString>
#include <vector>

#include "nav/goto_controller.h"

namespace tavrik {

class Database;

// The query of a route's waypoints in `Sequence` order.
QString routePointsQuery(int route);
// The route's waypoints; empty when the database is closed or the route has none.
std::vector<GotoTarget> loadRoutePoints(Database& db, int route);
// Sum of the rhumb-line legs between consecutive points, nautical miles.
double routeLengthNm(const std::vector<GotoTarget>& points);

}  // namespace tavrik
