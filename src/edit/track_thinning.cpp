#include "edit/track_thinning.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavrik {

float CrossTrackError(QPointF a, QPointF b, QPointF p) {
  const float ax = static_cast<float>(a.x()), ay = static_cast<float>(a.y());
  const float dx = static_cast<float>(b.x()) - ax, dy = static_cast<float>(b.y()) - ay;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (length == 0.0f) return 0.0f;
  const float cross = dx * (static_cast<float>(p.y()) - ay) - dy * (static_cast<float>(p.x()) - ax);
  return std::fabs(cross) / length;
}

namespace {

struct Farthest {
  int index = 0;  // 0: no inner point, or every error 0
  float error = 0;
};

Farthest MaxCrossTrackError(const std::vector<QPointF>& px, int i, int j) {
  Farthest best;
  for (int k = i + 1; k < j; ++k) {
    const float e = CrossTrackError(px[i], px[j], px[k]);
    if (e > best.error) best = {k, e};  // ties keep the earlier point
  }
  return best;
}

std::vector<int> KeptIndices(const std::vector<char>& kept) {
  std::vector<int> out;
  for (int i = 0; i < static_cast<int>(kept.size()); ++i)
    if (kept[i]) out.push_back(i);
  return out;
}

// One insertion pass: the point farthest from its kept neighbours joins the route.
// Returns its error; 0 when no point can be added.
float InsertFarthest(const std::vector<QPointF>& px, std::vector<char>& kept, int& keptCount) {
  const std::vector<int> idx = KeptIndices(kept);
  Farthest best;
  for (size_t n = 0; n + 1 < idx.size(); ++n) {
    const Farthest f = MaxCrossTrackError(px, idx[n], idx[n + 1]);
    if (f.error > best.error) best = f;
  }
  if (best.index == 0 || kept[best.index]) return 0.0f;
  kept[best.index] = 1;
  ++keptCount;
  return best.error;
}

// Moves each kept inner point to the farthest point between its neighbours; true when
// any point moved.
bool RelaxationSweep(const std::vector<QPointF>& px, std::vector<char>& kept) {
  bool moved = false;
  const int last = static_cast<int>(px.size()) - 1;
  int previous = 0;
  for (int c = 1; c < last; ++c) {
    if (!kept[c]) continue;
    int next = c + 1;
    while (!kept[next]) ++next;
    kept[c] = 0;
    const Farthest f = MaxCrossTrackError(px, previous, next);
    // With no inner point left the point stays where it was, rather than jumping to 0.
    const int k = f.index == 0 ? c : f.index;
    kept[k] = 1;
    if (k != c) moved = true;
    previous = k;
    c = std::max(c, k);
  }
  return moved;
}

}  // namespace

std::vector<int> ThinTrack(const std::vector<QPointF>& px, ThinningMode mode, double limit) {
  const int n = static_cast<int>(px.size());
  if (n == 0) return {};
  if (n == 1) return {0};
  std::vector<char> kept(px.size(), 0);
  kept[0] = kept[n - 1] = 1;
  int keptCount = 2;
  if (mode == ThinningMode::MaximumError) {
    // The last pass inserts its point before the test, as the route has always been built.
    while (true) {
      const float e = InsertFarthest(px, kept, keptCount);
      if (e == 0.0f || e <= limit) break;
    }
  } else {
    while (keptCount < limit) {
      if (InsertFarthest(px, kept, keptCount) == 0.0f) break;
      for (int sweep = 0; sweep < kMaxRelaxationSweeps && RelaxationSweep(px, kept); ++sweep) {
      }
    }
  }
  return KeptIndices(kept);
}

std::unique_ptr<ChartProjection> LocalTrackProjection(const LatLonList& points) {
  double top = -90, left = 180;
  for (const auto& [lat, lon] : points) {
    top = std::max(top, lat);
    left = std::min(left, lon);
  }
  // 100 pixels per mile northwards at the track's middle latitude.
  double sumLat = 0;
  for (const auto& p : points) sumLat += p.first;
  const double midLat = points.empty() ? 0 : sumLat / static_cast<double>(points.size());
  const double pxPerMinuteLon = 100.0 * std::cos(midLat * M_PI / 180.0);
  return std::make_unique<MercatorSheet>(top, left, std::max(pxPerMinuteLon, 1e-3));
}

TrackToRouteResult TrackToRoute(Database& db, long trackKey, const QString& routeName, ThinningMode mode,
                                double maximum, const ChartProjection* projection, int datum, const QDateTime& now) {
  TrackToRouteResult out;
  const std::vector<QVariantList> rows = db.rows(
      QStringLiteral("SELECT latitude, longitude FROM [Track data] WHERE Track = ") + QString::number(trackKey) +
          QStringLiteral(" AND Latitude <> 0 and Longitude <>0 ORDER BY rowid"),
      {}, &out.error);
  if (!out.error.ok()) return out;
  if (rows.empty()) {
    out.status = TrackToRouteResult::NoData;
    return out;
  }
  LatLonList points;
  points.reserve(std::min<size_t>(rows.size(), kMaxThinnedPoints));
  for (const QVariantList& row : rows) {
    if (static_cast<int>(points.size()) == kMaxThinnedPoints) {
      out.truncated = true;
      break;
    }
    points.emplace_back(row.value(0).toDouble(), row.value(1).toDouble());
  }
  std::unique_ptr<ChartProjection> local;
  if (!projection) {
    local = LocalTrackProjection(points);
    projection = local.get();
  }
  std::vector<QPointF> px;
  px.reserve(points.size());
  for (const auto& [lat, lon] : points) {
    const QPointF p = projection->toPixel(lat, lon);
    px.emplace_back(static_cast<float>(p.x()), static_cast<float>(p.y()));
  }
  double limit = maximum;
  if (mode == ThinningMode::MaximumError) {
    double sumLat = 0;
    for (const auto& p : points) sumLat += p.first;
    limit = maximum * projection->pixelsPerNm(sumLat / static_cast<double>(points.size()));
  }
  LatLonList route;
  for (int i : ThinTrack(px, mode, limit)) route.push_back(points[static_cast<size_t>(i)]);
  const SaveResult saved = SaveRoute(db, routeName, route, datum, now);
  out.error = saved.error;
  out.routeKey = saved.key;
  out.routePoints = static_cast<int>(route.size());
  out.status = saved.saved() ? TrackToRouteResult::Saved
                             : (saved.outcome == SaveOutcome::NameExists ? TrackToRouteResult::RouteExists
                                                                         : TrackToRouteResult::Failed);
  return out;
}

}  // namespace tavrik
