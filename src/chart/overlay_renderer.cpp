#include "chart/overlay_renderer.h"

#include <QFontMetricsF>
#include <cmath>
#include <algorithm>

#include "core/number_format.h"
#include "geo/nav_math.h"

namespace tavrik {

namespace {

// Names sit a little right of their point, as 100 chart units (15 per pixel) did.
constexpr double kLabelDx = 100.0 / 15.0;
constexpr double kRouteLabelDx = 100.0 / 15.0, kRouteLabelDy = 200.0 / 15.0;
// Margin around the visible rectangle so that names and icons at its edge still show.
constexpr double kCullMargin = 64;
// Proximity circles up to this radius (pixels) are drawn from sprites.
constexpr double kCircleSpriteMax = 40;
constexpr int kMarkSize = 15;  // the plain mark's sprite

QPoint topLeftFor(QPointF centre, const QImage& img) {
  return QPoint(qRound(centre.x() - img.width() / 2.0), qRound(centre.y() - img.height() / 2.0));
}

QRectF grown(const QRectF& r, double m) { return r.adjusted(-m, -m, m, m); }

GeoPoint toChart(const OverlayScene& s, const GeoPoint& g) { return s.toChartDatum ? s.toChartDatum(g) : g; }

QPointF px(const OverlayScene& s, const ChartProjection& proj, const GeoPoint& g) {
  const GeoPoint c = toChart(s, g);
  return proj.toPixel(c.lat, c.lon);
}

void drawPolyline(QPainter& p, const QPolygonF& pts) {
  if (pts.size() >= 2) p.drawPolyline(pts);
}

void plainMark(QPainter& p, QPointF c) {
  p.drawEllipse(c, 3.5, 3.5);
  p.drawLine(c + QPointF(-6, 0), c + QPointF(6, 0));
  p.drawLine(c + QPointF(0, -6), c + QPointF(0, 6));
}

}  // namespace

QColor SettingColor(int bgr) { return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff); }
int ColorSetting(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

QPolygonF VesselSymbol(QPointF pos, double directionDeg, int width) {
  // (lateral, forward) offsets in pixels per unit of width: a hull pointing forward.
  static constexpr double kHull[][2] = {{0, 26}, {8, 6}, {7, -12}, {-7, -12}, {-8, 6}};
  const double unit = std::max(1, width);
  const double d = directionDeg * Pi() / 180.0;
  QPolygonF poly;
  for (const auto& v : kHull) {
    const double lat = v[0] * unit, fwd = v[1] * unit;
    const double r = std::hypot(lat, fwd);
    const double a = d + std::atan2(lat, fwd);
    poly << QPointF(pos.x() + r * std::sin(a), pos.y() - r * std::cos(a));
  }
  return poly;
}

OverlayRenderer::OverlayRenderer() : m_font(QStringLiteral("Sans Serif"), 8) {
  const QFontMetricsF fm(m_font);
  m_ascent = fm.ascent();
  m_labelHeight = std::ceil(fm.height()) + 2;
  m_charWidths.fill(-1);
  for (int i = 0; i < kOverlayCount; ++i) m_styles[i] = {0, 1};
}

std::shared_ptr<const Sprite> OverlayRenderer::labelSprite(const QString& text, QColor c) const {
  const QString key = QString::number(c.rgba(), 16) + QChar(0x1f) + text;
  if (const auto* hit = m_labels.object(key)) return *hit;
  const QFontMetricsF fm(m_font);
  const int w = static_cast<int>(std::ceil(nameWidth(text))) + 3;
  const int h = static_cast<int>(m_labelHeight);
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    p.setFont(m_font);
    // A light halo keeps the name readable on any chart colour.
    p.setPen(QColor(255, 255, 255, 170));
    const QPointF base(1.5, 1 + fm.ascent());
    for (const QPointF d : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)}) p.drawText(base + d, text);
    p.setPen(c);
    p.drawText(base, text);
  }
  auto sprite = std::make_shared<const Sprite>(Sprite::from(img));
  // Too large for the whole cache (an absurdly long name), it is still returned.
  m_labels.insert(key, new std::shared_ptr<const Sprite>(sprite), static_cast<int>(img.sizeInBytes()));
  return sprite;
}

const Sprite& OverlayRenderer::radarSprite(char status) const {
  // A look per status: tracking a ring with a centre, querying a dashed ring, lost a
  // faded ring struck through.
  const QPen radarPen = pen(Overlay::Radar);
  const std::tuple<QRgb, int, char> key(radarPen.color().rgba(), radarPen.width(), status);
  auto it = m_radarSprites.find(key);
  if (it != m_radarSprites.end()) return it->second;
  QPen pen = radarPen;
  if (status == 'Q') pen.setStyle(Qt::DashLine);
  if (status == 'L') {
    QColor faded = pen.color();
    faded.setAlpha(110);
    pen.setColor(faded);
  }
  const int size = 15 + 2 * pen.width();
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(pen);
    const QPointF c(size / 2.0, size / 2.0);
    p.drawEllipse(c, 5, 5);
    if (status == 'L') {
      p.drawLine(c + QPointF(-6, -6), c + QPointF(6, 6));
      p.drawLine(c + QPointF(-6, 6), c + QPointF(6, -6));
    } else if (status == 'T') {
      p.drawEllipse(c, 1.5, 1.5);
    }
  }
  return m_radarSprites.emplace(key, Sprite::from(img)).first->second;
}

const Sprite& OverlayRenderer::markSprite(QColor c) const {
  if (m_mark.isNull() || m_markColor != c.rgb()) {
    QImage img(kMarkSize, kMarkSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
      QPainter p(&img);
      p.setRenderHint(QPainter::Antialiasing, true);
      QPen pen(c);
      pen.setWidthF(1.2);
      p.setPen(pen);
      plainMark(p, QPointF(7.5, 7.5));
    }
    m_mark = Sprite::from(img);
    m_markColor = c.rgb();
  }
  return m_mark;
}

QPen OverlayRenderer::pen(Overlay o) const {
  const OverlayStyle& s = m_styles[static_cast<int>(o)];
  QPen pen(SettingColor(s.color));
  pen.setWidthF(std::max(1, s.width));
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

void OverlayRenderer::rebuild(const OverlayScene& s, const ChartProjection& proj, OverlayRegions& regions) {
  regions.clear();
  m_zones.clear();
  m_waypoints.clear();
  m_routeLabels.clear();
  m_sailed.clear();
  m_loaded.clear();
  m_log.clear();
  m_ships.clear();
  m_info.clear();
  m_radar.clear();
  m_radarStatus.clear();
  m_typeIcons.clear();
  for (const auto& [type, icon] : s.typeIcons)
    if (!icon.isNull()) m_typeIcons.emplace(type, Sprite::from(icon));
  m_infoIcons = s.infoIcons;

  m_zones.reserve(s.zones.size());
  for (const ZoneItem& z : s.zones) {
    Zone zone;
    zone.name = z.name;
    for (const GeoPoint& g : z.points) zone.poly << px(s, proj, g);
    zone.bounds = zone.poly.boundingRect().adjusted(-2, -2, 2, 2);
    zone.extent = zone.bounds;
    if (!zone.poly.isEmpty() && !zone.name.isEmpty()) {
      const QRectF label = labelRect(zone.poly.first() - QPointF(3, 3), nameWidth(zone.name));
      zone.labelAt = label.topLeft().toPoint();
      zone.extent = zone.extent.united(label);
    }
    if (zone.poly.size() >= 3) regions.addZone(z.key, zone.poly);
    m_zones.push_back(std::move(zone));
  }

  m_waypoints.reserve(s.waypoints.size());
  for (const WaypointItem& w : s.waypoints) {
    Mark m;
    m.key = w.key;
    const GeoPoint c = toChart(s, w.pos);
    m.pos = proj.toPixel(c.lat, c.lon);
    m.name = w.name;
    if (auto it = m_typeIcons.find(w.type); it != m_typeIcons.end()) {
      m.sprite = &it->second;
      m.icon = &it->second.image;
    }
    if (w.proximityNm > 0) {
      // The circle is the proximity distance on the chart: dead-reckoned north and
      // east from the waypoint, so it stays true away from the calibration latitude.
      CalcRecord r;
      r.Lat1 = c.lat;
      r.Lon1 = c.lon;
      r.Distance = w.proximityNm;
      r.Course = 0;
      DeadReckoning(r);
      const QPointF north = proj.toPixel(r.Lat2, r.Lon2);
      r.Course = 90;
      DeadReckoning(r);
      const QPointF east = proj.toPixel(r.Lat2, r.Lon2);
      m.ry = std::hypot(north.x() - m.pos.x(), north.y() - m.pos.y());
      m.rx = std::hypot(east.x() - m.pos.x(), east.y() - m.pos.y());
      if (m.rx > 0 && m.ry > 0) regions.addProximity(w.key, m.pos, m.rx, m.ry);
    }
    const QSizeF symbolSize = m.icon ? QSizeF(m.icon->size()) : QSizeF(kMarkSize, kMarkSize);
    m.symbol = QRectF(m.pos - QPointF(symbolSize.width() / 2 + 1, symbolSize.height() / 2 + 1),
                      symbolSize + QSizeF(2, 2));
    if (m.rx > 0 || m.ry > 0) {
      const double pad = std::max(1, m_styles[static_cast<int>(Overlay::Proximity)].width) + 3;
      m.symbol = m.symbol.united(QRectF(m.pos - QPointF(m.rx + pad, m.ry + pad), QSizeF(2 * (m.rx + pad), 2 * (m.ry + pad))));
    }
    m_waypoints.push_back(std::move(m));
  }

  m_route = {};
  for (size_t i = 0; i < s.route.size(); ++i) {
    const QPointF p = px(s, proj, s.route[i]);
    m_route.points << p;
    m_routeLabels.push_back({p + QPointF(kRouteLabelDx, kRouteLabelDy), QString::number(i + 1)});
  }
  m_route.bounds = m_route.points.boundingRect().adjusted(-1, -1, 1, 1);

  if (s.showTrack) {
    // A day's track holds tens of thousands of fixes: points within a pixel of the last
    // one drawn add nothing visible, and pieces of a few hundred points let a repaint
    // skip what lies outside the view.
    constexpr int kPiecePoints = 512;
    for (const auto& line : splitAtBreaks(s.sailedTrack)) {
      Polyline pl;
      QPointF skipped;
      bool pending = false;
      const auto close = [&](bool last) {
        if (pl.points.size() < (last ? 1 : kPiecePoints)) return;
        pl.bounds = pl.points.boundingRect().adjusted(-1, -1, 1, 1);
        const QPointF joint = pl.points.back();
        m_sailed.push_back(std::move(pl));
        pl = Polyline();
        if (!last) pl.points << joint;
      };
      for (const TrackRecord& r : line) {
        const QPointF q = proj.toPixel(r.lat, r.lon);
        if (!pl.points.isEmpty() && std::abs(q.x() - pl.points.back().x()) < 1.0 &&
            std::abs(q.y() - pl.points.back().y()) < 1.0) {
          skipped = q;
          pending = true;
          continue;
        }
        pl.points << q;
        pending = false;
        close(false);
      }
      if (pending) pl.points << skipped;
      close(true);
    }
  }
  for (const auto& track : s.loadedTracks) {
    Polyline pl;
    for (const GeoPoint& g : track) pl.points << px(s, proj, g);
    pl.bounds = pl.points.boundingRect().adjusted(-1, -1, 1, 1);
    m_loaded.push_back(std::move(pl));
  }
  if (s.showLog)
    for (const LogItem& l : s.log) m_log.push_back({px(s, proj, l.pos), l.description});
  if (s.showShips)
    for (const ShipItem& sh : s.ships) m_ships.push_back({px(s, proj, sh.pos), sh.name});
  if (s.showInfo)
    for (const InfoItem& i : s.info) {
      Mark m;
      m.pos = px(s, proj, i.pos);
      m.name = i.name;
      if (auto it = m_infoIcons.find(i.icon); it != m_infoIcons.end() && !it->second.isNull()) m.icon = &it->second;
      m_info.push_back(std::move(m));
    }
  for (const RadarItem& r : s.radar) {
    m_radar.push_back({px(s, proj, r.pos), QString::number(r.number) + (r.status == "L" ? QStringLiteral(" L") : QString())});
    m_radarStatus.push_back(r.status);
  }
  thinNames();
}

void OverlayRenderer::setActiveWaypoint(long key) {
  if (key == m_activeWaypoint) return;
  m_activeWaypoint = key;
  thinNames();
}

std::vector<long> OverlayRenderer::namedWaypoints() const {
  std::vector<long> keys;
  for (const Mark& m : m_waypoints)
    if (m.named && !m.name.isEmpty()) keys.push_back(m.key);
  return keys;
}

double OverlayRenderer::nameWidth(const QString& text) const {
  // Summed from the advances of single characters: laying out thousands of names
  // costs more than the whole redraw may. One pixel to spare for kerning.
  const QFontMetricsF fm(m_font);
  double w = 1;
  for (const QChar ch : text) {
    const ushort u = ch.unicode();
    if (u < m_charWidths.size()) {
      float& cw = m_charWidths[u];
      if (cw < 0) cw = static_cast<float>(fm.horizontalAdvance(ch));
      w += cw;
    } else {
      w += fm.horizontalAdvance(ch);
    }
  }
  return w;
}

QRectF OverlayRenderer::labelRect(QPointF at, double textWidth) const {
  // The rectangle labelSprite() covers when drawn beside `at`.
  return QRectF(QPointF(qRound(at.x() + kLabelDx + 3), qRound(at.y() + 3 - m_ascent)),
                QSizeF(std::ceil(textWidth) + 3, m_labelHeight));
}

void OverlayRenderer::thinNames() {
  // Cells taken by the names placed so far: a name goes only where all its cells are
  // free. A piece at the name's start is tested first, so that most names of a crowded
  // chart are turned down before their width is measured.
  QRectF all;
  for (Mark& m : m_waypoints) {
    m.named = false;
    m.extent = m.symbol;
    if (!m.name.isEmpty() && std::isfinite(m.pos.x()) && std::isfinite(m.pos.y()))
      all = all.united(QRectF(m.pos, QSizeF(1, 1)));
  }
  if (all.isEmpty()) return;
  all.adjust(-4, -m_ascent - 4, 4096 + 4, m_labelHeight + 4);  // room for the longest names
  constexpr double kMaxCells = 2048;
  const double cell = std::max({4.0, all.width() / kMaxCells, all.height() / kMaxCells});
  const int cols = static_cast<int>(std::ceil(all.width() / cell)) + 1;
  const int rows = static_cast<int>(std::ceil(all.height() / cell)) + 1;
  std::vector<uint8_t> taken(static_cast<size_t>(cols) * static_cast<size_t>(rows), 0);
  const auto cellsOf = [&](const QRectF& r, auto&& fn) {
    const int x0 = std::clamp(static_cast<int>((r.left() - all.left()) / cell), 0, cols - 1);
    const int x1 = std::clamp(static_cast<int>((r.right() - all.left()) / cell), 0, cols - 1);
    const int y0 = std::clamp(static_cast<int>((r.top() - all.top()) / cell), 0, rows - 1);
    const int y1 = std::clamp(static_cast<int>((r.bottom() - all.top()) / cell), 0, rows - 1);
    for (int y = y0; y <= y1; ++y) {
      uint8_t* row = &taken[static_cast<size_t>(y) * static_cast<size_t>(cols)];
      for (int x = x0; x <= x1; ++x)
        if (!fn(row[x])) return false;
    }
    return true;
  };
  const auto isFree = [&](const QRectF& r) { return cellsOf(r, [](uint8_t c) { return c == 0; }); };
  std::vector<size_t> order;
  order.reserve(m_waypoints.size());
  for (size_t i = 0; i < m_waypoints.size(); ++i)
    if (m_activeWaypoint != 0 && m_waypoints[i].key == m_activeWaypoint) order.insert(order.begin(), i);
    else order.push_back(i);
  for (size_t i : order) {
    Mark& m = m_waypoints[i];
    if (m.name.isEmpty() || !std::isfinite(m.pos.x()) || !std::isfinite(m.pos.y())) continue;
    if (!isFree(labelRect(m.pos, m_labelHeight))) continue;
    const QRectF r = labelRect(m.pos, nameWidth(m.name));
    if (!isFree(r)) continue;
    cellsOf(r, [](uint8_t& c) {
      c = 1;
      return true;
    });
    m.named = true;
    m.labelAt = r.topLeft().toPoint();
    m.extent = m.symbol.united(r);
  }
}

const Sprite* OverlayRenderer::circleSprite(double rx, double ry) const {
  if (rx > kCircleSpriteMax || ry > kCircleSpriteMax) return nullptr;
  const OverlayStyle& st = m_styles[static_cast<int>(Overlay::Proximity)];
  if (m_circleColor != SettingColor(st.color).rgb() || m_circleWidth != st.width) {
    m_circles.clear();
    m_circleColor = SettingColor(st.color).rgb();
    m_circleWidth = st.width;
  }
  const std::pair<int, int> key(qRound(rx * 4), qRound(ry * 4));
  auto it = m_circles.find(key);
  if (it == m_circles.end()) {
    const double qx = key.first / 4.0, qy = key.second / 4.0;
    const int pad = std::max(1, st.width) + 2;
    QImage img(2 * (static_cast<int>(std::ceil(qx)) + pad) + 1, 2 * (static_cast<int>(std::ceil(qy)) + pad) + 1,
               QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(pen(Overlay::Proximity));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(img.width() / 2.0, img.height() / 2.0), qx, qy);
    p.end();
    it = m_circles.emplace(key, Sprite::from(img)).first;
  }
  return &it->second;
}

void OverlayRenderer::paint(QPainter& p, const QRectF& visible) const {
  const QRectF area = grown(visible, kCullMargin);
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setFont(m_font);
  p.setBrush(Qt::NoBrush);

  // Zones: closed polygons with their name right of the first corner.
  // A one-pixel dashed outline is drawn by the painter's fast line path; wider dashed
  // pens are outlined and filled as paths, several times slower.
  QPen zonePen(QColor(200, 0, 160));
  zonePen.setWidth(1);
  zonePen.setStyle(Qt::DashLine);
  for (const Zone& z : m_zones) {
    if (!z.extent.intersects(visible) || z.poly.isEmpty()) continue;
    // The faint fill needs no antialiasing (a third of the zones' time); the outline keeps it.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 0, 160, 28));
    p.drawPolygon(z.poly);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    p.setPen(zonePen);
    p.drawPolygon(z.poly);
    if (!z.name.isEmpty()) p.drawImage(z.labelAt, labelSprite(z.name, zonePen.color())->image);
  }

  // Waypoints: icon or plain mark, the name, and the proximity circle. Their sprites
  // are blended into one layer drawn at the end: thousands must paint in a frame.
  // Circles too large for a sprite are drawn beneath the layer.
  const QPen proxPen = pen(Overlay::Proximity);
  const QColor wpColor = color(Overlay::Waypoints);
  const Sprite& mark = markSprite(wpColor);
  // A picture rendered whole (a print of a large chart) gets no layer of its size.
  const QRect layerArea = visible.toAlignedRect();
  const bool layered = qint64(layerArea.width()) * layerArea.height() <= qint64(4096) * 4096;
  if (layered) m_markLayer.reset(layerArea);
  const auto put = [&](const Sprite& sprite, QPoint at, std::shared_ptr<const Sprite> keep = {}) {
    if (layered)
      m_markLayer.blend(sprite, at, std::move(keep));
    else
      p.drawImage(at, sprite.image);
  };
  for (const Mark& m : m_waypoints) {
    // Each mark knows what it covers, names included: one test, and nothing whose
    // pixels reach into the view is left out.
    if (!m.extent.intersects(visible)) continue;
    if (m.rx > 0 || m.ry > 0) {
      if (const Sprite* circle = circleSprite(m.rx, m.ry)) {
        put(*circle, topLeftFor(m.pos, circle->image));
      } else {
        p.setPen(proxPen);
        p.drawEllipse(m.pos, m.rx, m.ry);
      }
    }
    const Sprite& symbol = m.sprite ? *m.sprite : mark;
    put(symbol, topLeftFor(m.pos, symbol.image));
    if (m.named) {
      auto label = labelSprite(m.name, wpColor);
      put(*label, m.labelAt, label);
    }
  }
  if (layered) m_markLayer.paintOnto(p);
  p.setRenderHint(QPainter::Antialiasing, true);

  // The active route with its point numbers.
  if (m_route.points.size() >= 1 && m_route.bounds.intersects(area)) {
    p.setPen(pen(Overlay::Routes));
    drawPolyline(p, m_route.points);
    for (const Label& l : m_routeLabels) p.drawText(l.pos, l.text);
  }

  p.setPen(pen(Overlay::CurrentTrack));
  for (const Polyline& pl : m_sailed)
    if (pl.bounds.intersects(area)) drawPolyline(p, pl.points);
  QPen loadedPen = pen(Overlay::CurrentTrack);
  loadedPen.setStyle(Qt::DotLine);
  p.setPen(loadedPen);
  for (const Polyline& pl : m_loaded)
    if (pl.bounds.intersects(area)) drawPolyline(p, pl.points);

  p.setPen(QPen(QColor(120, 60, 0), 1));
  for (const Label& l : m_log) {
    if (!area.contains(l.pos)) continue;
    p.drawRect(QRectF(l.pos - QPointF(4, 4), QSizeF(8, 8)));
    p.drawText(l.pos + QPointF(kLabelDx + 2, 4), l.text);
  }
  // Other ships: a tinted triangle and the name on its light halo, readable over the
  // chart's own lettering.
  const QColor shipColor(0, 90, 160);
  p.setPen(QPen(shipColor, 1.5));
  p.setBrush(QColor(0, 90, 160, 70));
  for (const Label& l : m_ships) {
    if (!area.contains(l.pos)) continue;
    QPolygonF tri;
    tri << l.pos + QPointF(0, -7) << l.pos + QPointF(6, 5) << l.pos + QPointF(-6, 5);
    p.drawPolygon(tri);
    p.drawImage((l.pos + QPointF(kLabelDx + 0.5, 3 - m_ascent)).toPoint(), labelSprite(l.text, shipColor)->image);
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0, 110, 110), 1));
  for (const Mark& m : m_info) {
    if (!area.contains(m.pos)) continue;
    if (m.icon) {
      p.drawImage(m.pos - QPointF(m.icon->width() / 2.0, m.icon->height() / 2.0), *m.icon);
    } else {
      p.drawRect(QRectF(m.pos - QPointF(5, 5), QSizeF(10, 10)));
      p.drawText(QRectF(m.pos - QPointF(5, 5), QSizeF(10, 10)), Qt::AlignCenter, QStringLiteral("i"));
    }
    p.drawText(m.pos + QPointF(kLabelDx + 2, 4), m.name);
  }
  // A look per status: tracking a ring with a centre, querying a dashed ring, lost a
  // faded ring struck through.
  // Symbols and numbers come from sprites blended into one layer, as the waypoints':
  // a radar reports a thousand targets every second.
  const QColor radarColor = color(Overlay::Radar);
  QColor faded = radarColor;
  faded.setAlpha(110);
  if (layered) m_markLayer.reset(layerArea);
  for (size_t i = 0; i < m_radar.size(); ++i) {
    const Label& l = m_radar[i];
    if (!area.contains(l.pos)) continue;
    const QString& status = m_radarStatus[i];
    const bool lost = status == QLatin1String("L");
    const Sprite& symbol = radarSprite(lost ? 'L' : status == QLatin1String("Q") ? 'Q' : 'T');
    put(symbol, topLeftFor(l.pos, symbol.image));
    auto label = labelSprite(l.text, lost ? faded : radarColor);
    put(*label, (l.pos + QPointF(kLabelDx - 1.5, -5 - m_ascent)).toPoint(), label);
  }
  if (layered) m_markLayer.paintOnto(p);
  p.restore();
}

void OverlayRenderer::paintDynamic(QPainter& p, const QRectF& visible) const {
  const QRectF area = grown(visible, kCullMargin);
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setBrush(Qt::NoBrush);
  p.setPen(pen(Overlay::CurrentTrack));
  for (const QLineF& l : m_track.elements())
    if (QRectF(l.p1(), l.p2()).normalized().adjusted(-1, -1, 1, 1).intersects(area)) p.drawLine(l);
  if (m_vessel) {
    if (m_goto) {
      QPen gp(QColor(0, 0, 0), 1, Qt::DashLine);
      p.setPen(gp);
      p.drawLine(*m_goto);
      if (!m_gotoLabel.isEmpty()) p.drawImage(m_goto->p2() + QPointF(8, -8), labelSprite(m_gotoLabel, QColor(0, 0, 0))->image);
    }
    if (m_mob) {
      const QColor red(220, 0, 0);
      p.setPen(QPen(red, 2, Qt::DashLine));
      p.drawLine(*m_mob);
      p.setPen(QPen(red, 2));
      p.drawEllipse(m_mob->p2(), 6.0, 6.0);
      p.drawImage(m_mob->p2() + QPointF(8, -8), labelSprite(QStringLiteral("MOB"), red)->image);
    }
    if (m_automationLine) {
      const QColor blue(0, 70, 200);
      p.setPen(QPen(blue, 2));
      p.drawLine(*m_automationLine);
      p.drawEllipse(m_automationLine->p2(), 4.0, 4.0);
    }
    if (m_courseLine) {
      p.setPen(pen(Overlay::Position));
      p.drawLine(*m_courseLine);
    }
    if (m_radarCursor) {
      QPen rp = pen(Overlay::Radar);
      rp.setStyle(Qt::DotLine);
      p.setPen(rp);
      p.drawLine(*m_radarCursor);
      rp.setStyle(Qt::SolidLine);
      p.setPen(rp);
      p.drawRect(QRectF(m_radarCursor->p2() - QPointF(9, 9), QSizeF(18, 18)));
    }
    p.setPen(pen(Overlay::Circles));
    for (double r : m_rangeCircles)
      if (r > 0) p.drawEllipse(m_vessel->pos, r, r);
    const int w = m_styles[static_cast<int>(Overlay::Position)].width;
    p.setPen(pen(Overlay::Position));
    QColor fill = color(Overlay::Position);
    fill.setAlpha(170);
    p.setBrush(fill);
    p.drawPolygon(VesselSymbol(m_vessel->pos, m_vessel->directionDeg, w));
    p.setBrush(color(Overlay::Position));
    p.drawEllipse(m_vessel->pos, 2.5, 2.5);
    p.setBrush(Qt::NoBrush);
  }
  p.restore();
}

namespace {

QString rulerLabel(double deg, bool isLat) {
  const QChar hemi = isLat ? (deg >= 0 ? 'N' : 'S') : (deg >= 0 ? 'E' : 'W');
  const double a = std::fabs(deg);
  int whole = static_cast<int>(a);
  double minutes = (a - whole) * 60;
  if (minutes > 59.95) {
    whole += 1;
    minutes = 0;
  }
  const bool fraction = std::fabs(minutes - std::round(minutes)) > 1e-6;
  return QString::number(whole) + QChar(0xB0) + formatNumber(minutes, fraction ? u"00.0" : u"00") + "'" + hemi;
}

// Ticks in whole minutes (or tenths or fifths of one when minutes are wide).
double tickMinutes(double minutePx) {
  // 500 and 250 chart units (15 per pixel) for tenths and fifths of a minute.
  if (minutePx > 500.0 / 15) return 0.1;
  if (minutePx > 250.0 / 15) return 0.2;
  for (double m : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 300.0, 600.0})
    if (m * minutePx >= 8) return m;
  return 1200.0;
}

// Labels on whole minutes, as many minutes apart as their width needs (with 35 units
// of clearance on each side).
double labelMinutes(double minutePx, double labelPx) {
  for (double m : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 300.0, 600.0, 1200.0})
    if (m * minutePx >= labelPx + 2 * 35.0 / 15 + 6) return m;
  return 2400.0;
}

bool onMultiple(double deg, double minutes) {
  const double m = deg * 60 / minutes;
  return std::fabs(m - std::round(m)) < 1e-6;
}

// The marks of one edge, from `from` to `to` (window pixels). Along the edge whichever
// of latitude and longitude changes more over the ground is marked: on a skewed
// chart the top edge may run north-south.
void edgeMarks(const ChartProjection& proj, QPointF from, QPointF to, bool top, double labelPx,
               std::vector<RulerMark>& out) {
  const double length = std::hypot(to.x() - from.x(), to.y() - from.y());
  if (!(length >= 2)) return;
  const int samples = static_cast<int>(std::min(length / 4, 2000.0)) + 1;
  std::vector<double> lat(samples + 1), lon(samples + 1);
  for (int i = 0; i <= samples; ++i) {
    const double f = static_cast<double>(i) / samples;
    proj.toLatLon(from + f * (to - from), lat[i], lon[i]);
    if (!std::isfinite(lat[i]) || !std::isfinite(lon[i])) return;
    if (i > 0) lon[i] = lon[i - 1] + std::remainder(lon[i] - lon[i - 1], 360.0);  // across 180
  }
  const double dLat = std::fabs(lat[samples] - lat[0]);
  const double dLon = std::fabs(lon[samples] - lon[0]) * std::cos((lat[0] + lat[samples]) / 2 * Pi() / 180);
  const bool isLat = dLat >= dLon;
  const std::vector<double>& v = isLat ? lat : lon;
  const double span = std::fabs(v[samples] - v[0]);
  if (!(span > 0)) return;
  const double minutePx = length / (span * 60);
  const double step = tickMinutes(minutePx) / 60.0, every = labelMinutes(minutePx, labelPx);
  if (span / step > 5000) return;
  for (int i = 0; i < samples; ++i) {
    const double a = v[i], b = v[i + 1];
    if (a == b) continue;
    // Multiples of the step in (lo, hi], placed by linear interpolation.
    const double lo = std::min(a, b), hi = std::max(a, b);
    for (double k = std::floor(lo / step + 1e-9) + 1; k * step <= hi + 1e-12; k += 1) {
      const double value = k * step;
      const double f = (value - a) / (b - a);
      const double at = (i + f) / samples * length;
      RulerMark m;
      m.top = top;
      m.at = at;
      m.major = onMultiple(value, 1.0);
      double shown = value;
      if (!isLat) shown = std::remainder(value, 360.0);
      if (m.major && onMultiple(value, every)) m.label = rulerLabel(shown, isLat);
      out.push_back(std::move(m));
    }
  }
}

}  // namespace

std::vector<RulerMark> RulerMarks(const ChartProjection& proj, const QRectF& visible, double labelPx) {
  std::vector<RulerMark> out;
  edgeMarks(proj, visible.topLeft(), visible.topRight(), true, labelPx, out);
  edgeMarks(proj, visible.topLeft(), visible.bottomLeft(), false, labelPx, out);
  return out;
}

void PaintRulers(QPainter& p, const ChartProjection& proj, const QRectF& visible, int rulerPx) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  const QRectF top(0, 0, visible.width(), rulerPx), left(0, 0, rulerPx, visible.height());
  p.fillRect(top, QColor(250, 250, 240, 230));
  p.fillRect(left, QColor(250, 250, 240, 230));
  p.setPen(QColor(60, 60, 60));
  QFont f(QStringLiteral("Arial"), 7);
  p.setFont(f);
  const QFontMetricsF fm(f);
  const double labelW = fm.horizontalAdvance(QStringLiteral("000") + QChar(0xB0) + "00'W");
  for (const RulerMark& m : RulerMarks(proj, visible, labelW)) {
    const double w = m.label.isEmpty() ? 0 : fm.horizontalAdvance(m.label);
    if (m.top) {
      p.drawLine(QPointF(m.at, rulerPx), QPointF(m.at, rulerPx - (m.major ? 7 : 4)));
      if (!m.label.isEmpty() && m.at - w / 2 > rulerPx && m.at + w / 2 < visible.width())
        p.drawText(QPointF(m.at - w / 2, 9), m.label);
    } else {
      p.drawLine(QPointF(rulerPx, m.at), QPointF(rulerPx - (m.major ? 7 : 4), m.at));
      if (!m.label.isEmpty() && m.at - w / 2 > rulerPx && m.at + w / 2 < visible.height()) {
        p.save();
        p.translate(9, m.at + w / 2);
        p.rotate(-90);
        p.drawText(QPointF(0, 0), m.label);
        p.restore();
      }
    }
  }
  p.restore();
}

void PaintCrosshair(QPainter& p, QPointF at, const QRectF& area, int bgrColor, bool inverse) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  if (inverse) {
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(Qt::white, 1));
  } else {
    p.setPen(QPen(SettingColor(bgrColor), 1));
  }
  p.drawLine(QPointF(area.left(), at.y()), QPointF(area.right(), at.y()));
  p.drawLine(QPointF(at.x(), area.top()), QPointF(at.x(), area.bottom()));
  p.restore();
}

}  // namespace tavrik
