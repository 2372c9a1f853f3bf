#pragma once
// The overview `gpstshow` as logic: the whole sailing area on a blank canvas, with the
// chart outlines, waypoints, the active route, zones, ships, rulers and the sailed track,
// in a Mercator projection of its own. Positions become Mercator minutes from the first
// point plotted (the reference), then canvas pixels at the zoom step; painting draws
// into any QPainter (the window, a printer page, a saved picture).

#include <QFont>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

#include "chart/chart_selection.h"
#include "chart/overlay_scene.h"
#include "chart/track_file.h"

class QPainter;

namespace tavrik {

// What the overview can show, as read (never written) from the database and the track
// file. Both outline lists are kept so that switching between them needs no query.
struct OverviewData {
  std::vector<ChartBounds> allCharts;     // `s_charts`
  std::vector<ChartBounds> folderCharts;  // `s_folders`: the current folder's charts
  std::vector<WaypointItem> waypoints;
  std::vector<GeoPoint> route;
  std::vector<ZoneItem> zones;
  std::vector<ShipItem> ships;
  std::vector<TrackRecord> track;         // `$GPS.$$$`, breaks included
  std::optional<GeoPoint> position;       // the current position, when there is a fix
};

// The menu's check marks. `charts` and `folders` exclude each other.
struct OverviewLayers {
  bool charts = true, folders = false, current = true, routes = true, waypoints = true, zones = true,
       ships = true, rulers = true;
};

// Mercator minutes from a reference point: x east, y south (canvas direction).
class OverviewProjection {
 public:
  OverviewProjection(double refLat, double refLon) : m_refLat(refLat), m_refLon(refLon) {}
  // A point on its own: the chain from the reference in one step.
  QPointF minutes(double lat, double lon) const;
  // The next point of a line after `previous` (its position and its minutes): y moves
  // by the difference of the meridional parts and x by the angle difference, so a line
  // over the date line stays continuous.
  static QPointF next(QPointF previousMinutes, double previousLat, double previousLon, double lat, double lon);
  double refLat() const { return m_refLat; }
  double refLon() const { return m_refLon; }

 private:
  double m_refLat, m_refLon;
};

class OverviewScene {
 public:
  // Canvas pixels per Mercator minute at 100 % are chosen so that the shown layers fit a
  // canvas of about this size; 200 % and 400 % make it two and four times as large.
  static constexpr double kBaseWidthPx = 1000, kBaseHeightPx = 700;
  // Plotted items keep 350 twips (about 23 pixels) from the canvas edge at 100 %.
  static constexpr double kMarginPx = 350.0 / 15.0;

  // Full redraw: the reference, the extent of the shown layers and every item's
  // canvas position at `zoomStep` (1, 2 or 4).
  void layout(const OverviewData& data, const OverviewLayers& layers, int zoomStep);
  QSize canvasSize() const { return m_canvas; }
  int zoomStep() const { return m_zoom; }
  double pixelsPerMinute() const { return m_scale; }
  const std::optional<OverviewProjection>& projection() const { return m_proj; }
  // Canvas pixel of a position (for tests and the pointer readout).
  QPointF toCanvas(double lat, double lon) const;
  // Position of a canvas pixel.
  void toLatLon(QPointF canvas, double& lat, double& lon) const;
  // The sailed track as separate line pieces (a break lifts the pen), canvas pixels.
  const std::vector<QPolygonF>& trackPieces() const { return m_track; }
  int outlineCount() const { return static_cast<int>(m_outlines.size()); }

  // Paints the part `visible` (canvas pixels) with the painter's origin at the
  // canvas corner: white ground, then zones, outlines, route, track, waypoints, ships,
  // position and the rulers along the visible edges.
  void paint(QPainter& p, const QRectF& visible) const;

 private:
  struct Outline {
    QRectF rect;
    QString label;
  };
  struct Mark {
    QPointF at;
    QString label;
  };
  QPointF place(QPointF minutes) const;
  void paintRulers(QPainter& p, const QRectF& visible) const;

  std::optional<OverviewProjection> m_proj;
  OverviewLayers m_layers;
  int m_zoom = 1;
  double m_scale = 1;  // pixels per minute
  QPointF m_originMinutes;  // minutes at the canvas corner, before the margin
  QSize m_canvas;
  std::vector<Outline> m_outlines;
  std::vector<QPolygonF> m_zones;
  std::vector<QString> m_zoneNames;
  QPolygonF m_route;
  std::vector<QPolygonF> m_track;
  std::vector<Mark> m_waypoints;
  std::vector<Mark> m_ships;
  std::optional<QPointF> m_position;
  QFont m_font{QStringLiteral("Arial"), 8};
};

}  // namespace tavrik
