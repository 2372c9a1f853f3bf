#pragma once
// Draws the overlays into any QPainter in displayed pixels of the zoomed picture.
// rebuild() converts every position once (the full redraw) and fills the regions;
// paint() then draws what meets the visible rectangle, so a scroll step only paints.
// The per-fix parts (track elements, range circles, vessel, go-to line) are kept apart
// so that a fix adds single elements.

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QPainter>
#include <QCache>
#include <QPolygonF>
#include <array>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "chart/chart_projection.h"
#include "chart/overlay_regions.h"
#include "chart/overlay_scene.h"
#include "chart/sprite_layer.h"
#include "chart/track_line.h"
#include "core/app_settings.h"

namespace tavrik {

// A colour setting (red in the low byte) as a QColor.
QColor SettingColor(int bgr);
int ColorSetting(const QColor& c);

// The vessel symbol: a pointed hull whose vertices are given as (lateral, forward)
// offsets scaled by the `Position` width, turned to the direction (0 points up).
QPolygonF VesselSymbol(QPointF pos, double directionDeg, int width);

struct VesselMark {
  QPointF pos;
  double directionDeg = 0;  // rotation + heading or course
};

class OverlayRenderer {
 public:
  OverlayRenderer();
  void setStyles(const std::array<OverlayStyle, kOverlayCount>& styles) { m_styles = styles; }

  // The full redraw: converts the scene and rebuilds the regions.
  void rebuild(const OverlayScene& scene, const ChartProjection& proj, OverlayRegions& regions);
  // Static overlays that meet `visible`. What is drawn does not depend on `visible`
  // (names are thinned once, in rebuild()), so painting a view in parts gives the
  // same pixels as painting it whole.
  void paint(QPainter& p, const QRectF& visible) const;
  // The waypoint being steered to (0: none): its name is never thinned away.
  void setActiveWaypoint(long key);
  long activeWaypoint() const { return m_activeWaypoint; }
  // Keys of the waypoints whose names are shown (in scene order).
  std::vector<long> namedWaypoints() const;

  // Per fix.
  TrackLine& trackLine() { return m_track; }
  void setVessel(std::optional<VesselMark> v) { m_vessel = v; }
  const std::optional<VesselMark>& vessel() const { return m_vessel; }
  // Radii in displayed pixels; empty: no range circles.
  void setRangeCircles(std::vector<double> radiiPx) { m_rangeCircles = std::move(radiiPx); }
  void setGotoLine(std::optional<QLineF> l) { m_goto = l; }
  // Written at the target end of the go-to line ("Go To" and the target's text).
  void setGotoLabel(const QString& text) { m_gotoLabel = text; }
  // Man over board: from the vessel to the MOB position, labelled "MOB" at its end.
  void setMobLine(std::optional<QLineF> l) { m_mob = l; }
  const std::optional<QLineF>& mobLine() const { return m_mob; }
  // The line an automation client asked for, from the vessel to its end point.
  void setAutomationLine(std::optional<QLineF> l) { m_automationLine = l; }
  const std::optional<QLineF>& automationLine() const { return m_automationLine; }
  // From the vessel along the course over ground; empty while switched off.
  void setCourseLine(std::optional<QLineF> l) { m_courseLine = l; }
  const std::optional<QLineF>& courseLine() const { return m_courseLine; }
  // The radar cursor: from the vessel to the target the radar window shows.
  void setRadarCursor(std::optional<QLineF> l) { m_radarCursor = l; }
  const std::optional<QLineF>& radarCursor() const { return m_radarCursor; }
  void paintDynamic(QPainter& p, const QRectF& visible) const;

  // Bounding box of what rebuild() converted (for tests and the benchmark).
  int waypointCount() const { return static_cast<int>(m_waypoints.size()); }
  int zoneCount() const { return static_cast<int>(m_zones.size()); }

 private:
  struct Zone {
    QPolygonF poly;
    QRectF bounds;
    QString name;
    QPoint labelAt;  // top-left of the name's sprite
    QRectF extent;   // the polygon and its name
  };
  struct Mark {
    long key = 0;
    QPointF pos;
    QString name;
    const QImage* icon = nullptr;
    const Sprite* sprite = nullptr;  // the waypoint type's icon, when it has one
    double rx = 0, ry = 0;  // proximity ellipse
    bool named = true;      // the name has room (thinning)
    QRectF symbol;          // what the mark and its circle cover
    QRectF extent;          // the symbol and, when named, the name
    QPoint labelAt;         // top-left of the name's sprite
  };
  struct Label {
    QPointF pos;
    QString text;
  };
  struct Polyline {
    QPolygonF points;
    QRectF bounds;
  };

  QPen pen(Overlay o) const;
  // Names and plain marks are drawn from small pre-rendered images: thousands of
  // them must paint within a frame, and text layout is the slow part of painting.
  std::shared_ptr<const Sprite> labelSprite(const QString& text, QColor color) const;
  const Sprite& markSprite(QColor color) const;
  // A radar target's symbol for its status ('T', 'Q' or 'L') in the radar style.
  const Sprite& radarSprite(char status) const;
  // Small proximity circles drawn from sprites too (by their radii in quarter pixels).
  const Sprite* circleSprite(double rx, double ry) const;
  // Drops names that would overlap a name already placed: the active waypoint first,
  // then in scene order.
  void thinNames();
  QRectF labelRect(QPointF at, double textWidth) const;
  double nameWidth(const QString& text) const;
  mutable std::array<float, 256> m_charWidths;
  QColor color(Overlay o) const { return SettingColor(m_styles[static_cast<int>(o)].color); }

  std::array<OverlayStyle, kOverlayCount> m_styles;
  QFont m_font;
  double m_ascent = 0, m_labelHeight = 0;  // of m_font, for the names' rectangles
  mutable QCache<QString, std::shared_ptr<const Sprite>> m_labels{48 * 1024 * 1024};  // cost: bytes; room for 10 000 names
  mutable Sprite m_mark;
  mutable SpriteLayer m_markLayer;
  mutable QRgb m_markColor = 0;
  mutable std::map<std::pair<int, int>, Sprite> m_circles;
  mutable std::map<std::tuple<QRgb, int, char>, Sprite> m_radarSprites;  // colour, width, status
  mutable QRgb m_circleColor = 0;
  mutable int m_circleWidth = 0;
  long m_activeWaypoint = 0;
  std::vector<Zone> m_zones;
  std::vector<Mark> m_waypoints;
  std::map<long, Sprite> m_typeIcons;
  std::map<QString, QImage> m_infoIcons;
  Polyline m_route;
  std::vector<Label> m_routeLabels;
  std::vector<Polyline> m_sailed;
  std::vector<Polyline> m_loaded;
  std::vector<Label> m_log;
  std::vector<Label> m_ships;
  std::vector<Mark> m_info;
  std::vector<Label> m_radar;
  std::vector<QString> m_radarStatus;  // beside m_radar: "Q", "T", "L"

  TrackLine m_track;
  std::optional<VesselMark> m_vessel;
  std::vector<double> m_rangeCircles;
  std::optional<QLineF> m_goto;
  QString m_gotoLabel;
  std::optional<QLineF> m_mob;
  std::optional<QLineF> m_courseLine;
  std::optional<QLineF> m_automationLine;
  std::optional<QLineF> m_radarCursor;
};

// A tick of the rulers: `at` pixels along the top edge (or down the left edge) of the
// visible part; a label on the whole minutes that have room for one.
struct RulerMark {
  bool top = true;
  double at = 0;
  bool major = false;  // on a whole minute
  QString label;       // "52°15'N", empty when unlabelled
};
// The ticks of both rulers. Along each edge the coordinate that changes more over the
// ground is marked, so a chart turned on its side gets latitudes along the top.
std::vector<RulerMark> RulerMarks(const ChartProjection& proj, const QRectF& visible, double labelPx);

// Latitude and longitude ticks along the top and left edge of the visible part:
// `visible` is the visible rectangle of the picture; the painter is in window pixels.
void PaintRulers(QPainter& p, const ChartProjection& proj, const QRectF& visible, int rulerPx = 18);

// Two lines through the pointer, in CrosshairColor or inverted.
void PaintCrosshair(QPainter& p, QPointF at, const QRectF& area, int bgrColor, bool inverse);

}  // namespace tavrik
