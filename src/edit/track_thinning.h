#pragma once
// Track to route: a saved track thinned to a few route points, Douglas-Peucker style in
// single-precision pixel coordinates, either until every left-out point lies within a
// distance of the route or until the route holds a number of points.

#include <QPointF>
#include <QString>
#include <memory>
#include <vector>

#include "chart/chart_projection.h"
#include "edit/route_store.h"
#include "store/database.h"

namespace tavrik {

inline constexpr int kMaxThinnedPoints = 10000;
// Relaxation sweeps in number-of-points mode can alternate between two placements;
// after this many sweeps the placement stands.
inline constexpr int kMaxRelaxationSweeps = 100;

// Shown once when a track holds more points than are thinned.
inline const QString kTrackTooLargeMessage = QStringLiteral("Track to large, only the first 10000 points are used");

enum class ThinningMode { MaximumError, NumberOfPoints };

// Perpendicular distance in pixels from p to the line through a and b (0 when a = b).
float CrossTrackError(QPointF a, QPointF b, QPointF p);

// Indices of the kept points in order. `limit` is the largest error in pixels
// (MaximumError) or the wanted number of points (NumberOfPoints).
std::vector<int> ThinTrack(const std::vector<QPointF>& px, ThinningMode mode, double limit);

// A local Mercator sheet around the points at a nominal 100 pixels per nautical mile,
// for thinning when no chart is shown.
std::unique_ptr<ChartProjection> LocalTrackProjection(const LatLonList& points);

struct TrackToRouteResult {
  enum Status { Saved, NoData, RouteExists, Failed } status = Failed;
  bool truncated = false;  // more than kMaxThinnedPoints points: the first ones were used
  StoreResult error;
  long routeKey = 0;
  int routePoints = 0;
};

// Reads the track's points (those at 0 latitude or longitude left out), thins them in
// `projection` (the chart shown) or, when null, in the local sheet; `maximum` is in
// nautical miles in MaximumError mode. Stores the route as SaveRoute does.
TrackToRouteResult TrackToRoute(Database& db, long trackKey, const QString& routeName, ThinningMode mode,
                                double maximum, const ChartProjection* projection, int datum, const QDateTime& now);

}  // namespace tavrik
