#pragma once
// The areas the alarms and the click handler test the vessel or the pointer against:
// one polygon per zone and one ellipse per proximity waypoint, in displayed pixels,
// each with the key of the row it belongs to. Rebuilt with every full redraw.

#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <vector>

namespace tavrik {

struct OverlayRegion {
  enum class Kind { Zone, Proximity };
  Kind kind = Kind::Zone;
  long owner = 0;       // `zone` key or `Waypoint` key
  QPolygonF polygon;    // zone corners (closed implicitly)
  QRectF ellipse;       // proximity: bounding box of the ellipse
  bool contains(QPointF p) const;
  QPainterPath path() const;
};

class OverlayRegions {
 public:
  void clear() { m_regions.clear(); }
  void addZone(long zoneKey, QPolygonF polygon);
  void addProximity(long waypointKey, QPointF centre, double rx, double ry);
  int count() const { return static_cast<int>(m_regions.size()); }
  const std::vector<OverlayRegion>& regions() const { return m_regions; }
  // Key of the first zone containing the point, -1 when none.
  long zoneAt(QPointF p) const;
  // Keys of the proximity waypoints whose circle contains the point.
  std::vector<long> proximityAt(QPointF p) const;

 private:
  std::vector<OverlayRegion> m_regions;
};

}  // namespace tavrik
