#include "chart/overview_scene.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "geo/nav_math.h"

namespace tavrik {

namespace {
// Longitude in -180..180.
double normalLon(double lon) {
  while (lon > 180) lon -= 360;
  while (lon < -180) lon += 360;
  return lon;
}

// "52°30'N", "004°15'E": whole minutes with the hemisphere letter.
QString rulerText(double deg, bool latitude) {
  const QChar hemi = latitude ? (deg < 0 ? 'S' : 'N') : (deg < 0 ? 'W' : 'E');
  const long total = std::lround(std::fabs(deg) * 60);
  return QStringLiteral("%1°%2'%3")
      .arg(total / 60, latitude ? 2 : 3, 10, QLatin1Char('0'))
      .arg(total % 60, 2, 10, QLatin1Char('0'))
      .arg(hemi);
}

// A tick spacing in minutes that leaves room for a label.
double rulerStep(double pixelsPerMinute, double minPx) {
  for (double step : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 300.0, 600.0, 1200.0, 1800.0})
    if (step * pixelsPerMinute >= minPx) return step;
  return 3600.0;
}
}  // namespace

QPointF OverviewProjection::minutes(double lat, double lon) const {
  return next(QPointF(0, 0), m_refLat, m_refLon, lat, lon);
}

QPointF OverviewProjection::next(QPointF previousMinutes, double previousLat, double previousLon, double lat,
                                 double lon) {
  return {previousMinutes.x() + AngleDiff(previousLon, lon) * 60,
          previousMinutes.y() - (MeridionalParts(lat) - MeridionalParts(previousLat))};
}

QPointF OverviewScene::place(QPointF minutes) const {
  return (minutes - m_originMinutes) * m_scale + QPointF(kMarginPx, kMarginPx) * m_zoom;
}

QPointF OverviewScene::toCanvas(double lat, double lon) const {
  return m_proj ? place(m_proj->minutes(lat, lon)) : QPointF();
}

void OverviewScene::toLatLon(QPointF canvas, double& lat, double& lon) const {
  lat = lon = 0;
  if (!m_proj) return;
  const QPointF m = (canvas - QPointF(kMarginPx, kMarginPx) * m_zoom) / m_scale + m_originMinutes;
  lon = normalLon(m_proj->refLon() + m.x() / 60);
  lat = LatitudeFromMeridionalParts(MeridionalParts(m_proj->refLat()) - m.y());
}

void OverviewScene::layout(const OverviewData& data, const OverviewLayers& layers, int zoomStep) {
  m_layers = layers;
  m_zoom = std::clamp(zoomStep, 1, 4);
  m_outlines.clear();
  m_zones.clear();
  m_zoneNames.clear();
  m_route.clear();
  m_track.clear();
  m_waypoints.clear();
  m_ships.clear();
  m_position.reset();

  const std::vector<ChartBounds>* outlines =
      layers.folders ? &data.folderCharts : layers.charts ? &data.allCharts : nullptr;
  // The reference is the first point plotted, in drawing order.
  std::optional<GeoPoint> first;
  auto consider = [&](double lat, double lon) {
    if (!first) first = GeoPoint{lat, lon, 0};
  };
  if (outlines)
    for (const ChartBounds& b : *outlines)
      if (b.hasBounds) consider(b.latmax, b.lonmin);
  if (layers.zones)
    for (const ZoneItem& z : data.zones)
      for (const GeoPoint& g : z.points) consider(g.lat, g.lon);
  if (layers.routes)
    for (const GeoPoint& g : data.route) consider(g.lat, g.lon);
  if (layers.current)
    for (const TrackRecord& r : data.track)
      if (!r.isBreak()) consider(r.lat, r.lon);
  if (layers.waypoints)
    for (const WaypointItem& w : data.waypoints) consider(w.pos.lat, w.pos.lon);
  if (layers.ships)
    for (const ShipItem& s : data.ships) consider(s.pos.lat, s.pos.lon);
  if (layers.current && data.position) consider(data.position->lat, data.position->lon);
  const GeoPoint ref = first.value_or(data.position.value_or(GeoPoint{}));
  m_proj = OverviewProjection(ref.lat, ref.lon);

  // Everything in minutes first; the extent follows from them.
  struct MinuteOutline {
    QPointF topLeft, bottomRight;
    QString label;
  };
  std::vector<MinuteOutline> minuteOutlines;
  std::vector<QPolygonF> minuteZones, minuteTrack;
  QPolygonF minuteRoute;
  std::vector<std::pair<QPointF, QString>> minuteWaypoints, minuteShips;
  std::optional<QPointF> minutePosition;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool any = false;
  auto grow = [&](QPointF m) {
    minX = any ? std::min(minX, m.x()) : m.x();
    maxX = any ? std::max(maxX, m.x()) : m.x();
    minY = any ? std::min(minY, m.y()) : m.y();
    maxY = any ? std::max(maxY, m.y()) : m.y();
    any = true;
  };
  if (outlines)
    for (const ChartBounds& b : *outlines) {
      if (!b.hasBounds) continue;
      const QPointF tl = m_proj->minutes(b.latmax, b.lonmin);
      // The east side follows from the west side, so an outline over the date line
      // keeps its width.
      const QPointF br = OverviewProjection::next(tl, b.latmax, b.lonmin, b.latmin, b.lonmax);
      minuteOutlines.push_back({tl, br, b.description});
      grow(tl);
      grow(br);
    }
  if (layers.zones)
    for (const ZoneItem& z : data.zones) {
      QPolygonF poly;
      for (const GeoPoint& g : z.points) grow(poly.emplace_back(m_proj->minutes(g.lat, g.lon)));
      minuteZones.push_back(poly);
      m_zoneNames.push_back(z.name);
    }
  if (layers.routes) {
    const GeoPoint* prev = nullptr;
    for (const GeoPoint& g : data.route) {
      const QPointF m = prev ? OverviewProjection::next(minuteRoute.back(), prev->lat, prev->lon, g.lat, g.lon)
                             : m_proj->minutes(g.lat, g.lon);
      grow(minuteRoute.emplace_back(m));
      prev = &g;
    }
  }
  if (layers.current) {
    // Consecutive valid points are joined; a break lifts the pen.
    const TrackRecord* prev = nullptr;
    for (const TrackRecord& r : data.track) {
      if (r.isBreak()) {
        prev = nullptr;
        continue;
      }
      if (!prev) {
        minuteTrack.emplace_back();
        minuteTrack.back().append(m_proj->minutes(r.lat, r.lon));
      } else {
        minuteTrack.back().append(OverviewProjection::next(minuteTrack.back().back(), prev->lat, prev->lon, r.lat, r.lon));
      }
      grow(minuteTrack.back().back());
      prev = &r;
    }
    if (data.position) grow(*(minutePosition = m_proj->minutes(data.position->lat, data.position->lon)));
  }
  if (layers.waypoints)
    for (const WaypointItem& w : data.waypoints) {
      minuteWaypoints.emplace_back(m_proj->minutes(w.pos.lat, w.pos.lon), w.name);
      grow(minuteWaypoints.back().first);
    }
  if (layers.ships)
    for (const ShipItem& s : data.ships) {
      minuteShips.emplace_back(m_proj->minutes(s.pos.lat, s.pos.lon), s.name);
      grow(minuteShips.back().first);
    }
  // An empty overview still shows a degree of sea around the reference, with rulers.
  QRectF extent = any ? QRectF(QPointF(minX, minY), QPointF(maxX, maxY)) : QRectF(-30, -30, 60, 60);
  if (extent.width() < 10) extent.adjust(-(10 - extent.width()) / 2, 0, (10 - extent.width()) / 2, 0);
  if (extent.height() < 10) extent.adjust(0, -(10 - extent.height()) / 2, 0, (10 - extent.height()) / 2);

  const double fit = std::min((kBaseWidthPx - 2 * kMarginPx) / extent.width(),
                              (kBaseHeightPx - 2 * kMarginPx) / extent.height());
  m_scale = fit * m_zoom;
  m_originMinutes = extent.topLeft();
  m_canvas = QSize(static_cast<int>(std::ceil(extent.width() * fit + 2 * kMarginPx)) * m_zoom,
                   static_cast<int>(std::ceil(extent.height() * fit + 2 * kMarginPx)) * m_zoom);

  const QFontMetricsF fm(m_font);
  m_outlines.reserve(minuteOutlines.size());
  for (const MinuteOutline& o : minuteOutlines) {
    const QRectF r = QRectF(place(o.topLeft), place(o.bottomRight)).normalized();
    // A label only where it fits inside its outline, so thousands of small charts
    // do not bury each other in text.
    const bool fits = r.width() > 4 + fm.horizontalAdvance(o.label) && r.height() > fm.height() + 2;
    m_outlines.push_back({r, fits ? o.label : QString()});
  }
  for (const QPolygonF& z : minuteZones) {
    QPolygonF c;
    for (const QPointF& m : z) c.append(place(m));
    m_zones.push_back(c);
  }
  for (const QPointF& m : minuteRoute) m_route.append(place(m));
  for (const QPolygonF& piece : minuteTrack) {
    QPolygonF c;
    c.reserve(piece.size());
    for (const QPointF& m : piece) c.append(place(m));
    m_track.push_back(std::move(c));
  }
  for (const auto& [m, name] : minuteWaypoints) m_waypoints.push_back({place(m), name});
  for (const auto& [m, name] : minuteShips) m_ships.push_back({place(m), name});
  if (minutePosition) m_position = place(*minutePosition);
}

void OverviewScene::paint(QPainter& p, const QRectF& visible) const {
  p.fillRect(visible, Qt::white);
  if (!m_proj) return;
  p.save();
  p.setFont(m_font);
  const QRectF near = visible.adjusted(-200, -20, 20, 20);  // labels reach beyond their point
  p.setBrush(QColor(200, 0, 160, 28));
  p.setPen(QPen(QColor(200, 0, 160), 1));
  for (size_t i = 0; i < m_zones.size(); ++i)
    if (m_zones[i].boundingRect().intersects(near)) {
      p.drawPolygon(m_zones[i]);
      if (!m_zones[i].isEmpty()) p.drawText(m_zones[i].boundingRect().center(), m_zoneNames[i]);
    }
  p.setBrush(Qt::NoBrush);
  const QPen outlinePen(QColor(0, 70, 160), 1);
  p.setPen(outlinePen);
  for (const Outline& o : m_outlines)
    if (o.rect.intersects(near)) {
      p.drawRect(o.rect);
      if (!o.label.isEmpty()) p.drawText(o.rect.topLeft() + QPointF(3, 3 + QFontMetricsF(m_font).ascent()), o.label);
    }
  if (m_route.size() > 1 && m_route.boundingRect().intersects(near)) {
    p.setPen(QPen(QColor(0, 110, 0), 2));
    p.drawPolyline(m_route);
  }
  p.setPen(QPen(QColor(200, 0, 0), 1.5));
  for (const QPolygonF& piece : m_track) {
    if (!piece.boundingRect().intersects(near)) continue;
    if (piece.size() == 1) p.drawPoint(piece.front());
    else p.drawPolyline(piece);
  }
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::black);
  for (const Mark& w : m_waypoints)
    if (near.contains(w.at)) {
      p.drawRect(QRectF(w.at - QPointF(2, 2), QSizeF(4, 4)));
      p.drawText(w.at + QPointF(5, -3), w.label);
    }
  p.setBrush(QColor(0, 120, 200));
  for (const Mark& s : m_ships)
    if (near.contains(s.at)) {
      p.drawEllipse(s.at, 4, 4);
      p.drawText(s.at + QPointF(6, -4), s.label);
    }
  if (m_position) {
    p.setBrush(QColor(220, 0, 0));
    p.drawEllipse(*m_position, 5, 5);
  }
  p.restore();
  if (m_layers.rulers) paintRulers(p, visible);
}

void OverviewScene::paintRulers(QPainter& p, const QRectF& visible) const {
  p.save();
  p.setFont(m_font);
  const QFontMetricsF fm(m_font);
  const double band = fm.height() + 6;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(250, 250, 240, 230));
  p.drawRect(QRectF(visible.left(), visible.top(), visible.width(), band));
  p.drawRect(QRectF(visible.left(), visible.top(), band, visible.height()));
  p.setPen(QColor(60, 60, 60));
  double lat0, lon0, lat1, lon1;
  toLatLon(visible.topLeft(), lat0, lon0);
  toLatLon(visible.bottomRight(), lat1, lon1);
  // Longitudes along the top: ticks every `step` minutes from the reference.
  const double stepX = rulerStep(m_scale, fm.horizontalAdvance(QStringLiteral("000°00'E")) + 12);
  const double mx0 = (visible.left() - kMarginPx * m_zoom) / m_scale + m_originMinutes.x();
  const double mx1 = (visible.right() - kMarginPx * m_zoom) / m_scale + m_originMinutes.x();
  const double refLonMin = m_proj->refLon() * 60;
  for (double lonMin = std::ceil((refLonMin + mx0) / stepX) * stepX; lonMin <= refLonMin + mx1; lonMin += stepX) {
    const double x = (lonMin - refLonMin - m_originMinutes.x()) * m_scale + kMarginPx * m_zoom;
    p.drawLine(QPointF(x, visible.top()), QPointF(x, visible.top() + 4));
    p.drawText(QPointF(x + 2, visible.top() + fm.ascent() + 2), rulerText(normalLon(lonMin / 60), false));
  }
  // Latitudes down the left side.
  const double stepY = rulerStep(m_scale, fm.height() * 3);
  const double refMp = MeridionalParts(m_proj->refLat());
  const double latTop = std::min(lat0, 89.0), latBottom = std::max(lat1, -89.0);
  for (double latMin = std::floor(latTop * 60 / stepY) * stepY; latMin >= latBottom * 60; latMin -= stepY) {
    const double y = (refMp - MeridionalParts(latMin / 60) - m_originMinutes.y()) * m_scale + kMarginPx * m_zoom;
    p.drawLine(QPointF(visible.left(), y), QPointF(visible.left() + 4, y));
    p.save();
    p.translate(visible.left() + fm.ascent() + 2, y - 2);
    p.rotate(-90);
    p.drawText(QPointF(0, 0), rulerText(latMin / 60, true));
    p.restore();
  }
  p.restore();
}

}  // namespace tavrik
