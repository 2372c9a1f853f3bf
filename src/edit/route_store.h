#pragma once
// Storing drawn routes and zones, and the routes made from tracks: each a single
// transaction that leaves nothing behind when any step fails.

#include <QDateTime>
#include <QString>
#include <utility>
#include <vector>

#include "store/database.h"

namespace tavrik {

using LatLonList = std::vector<std::pair<double, double>>;

enum class SaveOutcome { Saved, NameExists, Failed };

struct SaveResult {
  SaveOutcome outcome = SaveOutcome::Failed;
  StoreResult error;  // the engine's error when Failed
  long key = 0;       // the new row's key when Saved
  bool saved() const { return outcome == SaveOutcome::Saved; }
};

inline const QString kRoutePointType = QStringLiteral("Route point");
inline const QString kRoutePointGroup = QStringLiteral("Route points");

// A route: a `Routes` row and per point a waypoint (type "Route point", group "Route
// points", both created on first use) named after the route with the first free
// number (" 1", " 2", ...), and a [Route points] row. NameExists when a route of that
// name exists; then nothing is written, not even the type or the group.
SaveResult SaveRoute(Database& db, const QString& name, const LatLonList& points, int datum, const QDateTime& now);

// A zone: a `Zones` row and its [Zone points] in order.
SaveResult SaveZone(Database& db, const QString& name, const LatLonList& points, int datum, const QDateTime& now);

// The selected-route query of a route key.
QString RouteWaypointsQuery(long routeKey);

}  // namespace tavrik
