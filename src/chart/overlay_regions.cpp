#include "chart/overlay_regions.h"

namespace tavrik {

bool OverlayRegion::contains(QPointF p) const {
  if (kind == Kind::Zone) return polygon.size() >= 3 && polygon.containsPoint(p, Qt::OddEvenFill);
  const double rx = ellipse.width() / 2, ry = ellipse.height() / 2;
  if (rx <= 0 || ry <= 0) return false;
  const QPointF c = ellipse.center();
  const double dx = (p.x() - c.x()) / rx, dy = (p.y() - c.y()) / ry;
  return dx * dx + dy * dy <= 1.0;
}

QPainterPath OverlayRegion::path() const {
  QPainterPath path;
  if (kind == Kind::Zone) {
    path.addPolygon(polygon);
    path.closeSubpath();
    path.setFillRule(Qt::OddEvenFill);
  } else {
    path.addEllipse(ellipse);
  }
  return path;
}

void OverlayRegions::addZone(long zoneKey, QPolygonF polygon) {
  OverlayRegion r;
  r.kind = OverlayRegion::Kind::Zone;
  r.owner = zoneKey;
  r.polygon = std::move(polygon);
  m_regions.push_back(std::move(r));
}

void OverlayRegions::addProximity(long waypointKey, QPointF centre, double rx, double ry) {
  OverlayRegion r;
  r.kind = OverlayRegion::Kind::Proximity;
  r.owner = waypointKey;
  r.ellipse = QRectF(centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry);
  m_regions.push_back(std::move(r));
}

long OverlayRegions::zoneAt(QPointF p) const {
  for (const OverlayRegion& r : m_regions)
    if (r.kind == OverlayRegion::Kind::Zone && r.contains(p)) return r.owner;
  return -1;
}

std::vector<long> OverlayRegions::proximityAt(QPointF p) const {
  std::vector<long> keys;
  for (const OverlayRegion& r : m_regions)
    if (r.kind == OverlayRegion::Kind::Proximity && r.contains(p)) keys.push_back(r.owner);
  return keys;
}

}  // namespace tavrik
