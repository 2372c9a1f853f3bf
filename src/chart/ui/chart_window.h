#pragma once
// `gpschart`, the moving-map window: shows one chart from cached scaled tiles with the
// overlays on top, keeps the vessel in view, zooms and scrolls, reads out the position
// under the pointer, and serves the request flags of the other windows every 100 ms.
// The decisions live in the chart logic (keep-in-view, fix cycle, selection, renderer);
// this class wires them to widgets and timers.

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>

#include "chart/chart_provider.h"
#include "chart/chart_selection.h"
#include "chart/chart_view_state.h"
#include "chart/overlay_regions.h"
#include "chart/overlay_renderer.h"
#include "app/app.h"
#include "chart/track_file.h"

class QLabel;
class QPrinter;
class QScrollBar;
class QTimer;
class QMenu;

namespace tavrik {

class App;
class ChartCanvas;

class ChartWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ChartWindow(App& app, QWidget* parent = nullptr);
  ~ChartWindow() override;

  // The provider of charts and overlay data (the database by default).
  void setProvider(std::unique_ptr<ChartProvider> provider);
  ChartProvider* provider() const { return m_provider.get(); }

  // LoadChart: the `Charts` row of the description. False when nothing was loaded.
  bool loadChart(const QString& description);
  // A chart file (library chart or calibrated picture).
  bool loadChartFile(const QString& path);
  // Shows an already loaded chart (zoom 1.0).
  void showChart(ShownChart chart);
  bool hasChart() const { return m_chart.has_value(); }
  // Shows no chart (the current chart was cleared).
  void closeChart();
  const ShownChart* chart() const { return m_chart ? &*m_chart : nullptr; }

  // ApplyZoom: per cent, or -1 to fit the whole chart in the window.
  void applyZoom(int percent);
  // Zooms by `factor`, keeping the chart point under canvasPoint (canvas pixels) there
  // (the wheel at the pointer, + and - at the centre).
  void zoomAround(double factor, QPointF canvasPoint);
  // A start for the simulator on this chart's water when (lat, lon) is not on it.
  std::optional<SimulationStart> simulationStart(double lat, double lon) const;
  // A fix lies outside the chart shown.
  bool vesselOffChart() const;
  // The short note shown over the chart (why "Centre" did nothing), empty when none.
  QString notice() const;
  double zoom() const { return m_zoom; }
  void keepInView();
  void centreOnVessel();
  // NightScreen: serves the night-screen request: the night colours of the chart shown
  // when the main window's night screen (App::nightScreen) is on, its daytime colours
  // when it is off. A palette swap; also applied at every chart load.
  void NightScreen();
  // RedrawAll: converts every overlay again from the scene.
  void redrawAll();

  // Timer1, Timer2, Timer5 (tests call them directly).
  void tick();
  void pump();
  // searchnext in direction 'N', 'S', 'E', 'W'.
  void searchNext(QChar direction);
  // The search on request (database or folder).
  void searchChart();

  // State for tests and other windows.
  QPoint scrollValue() const;
  void setScrollValue(QPoint p);
  QSize visibleSize() const;
  QSize contentSize() const;
  const ChartProjection* projection() const { return m_proj.get(); }
  const OverlayRegions& regions() const { return m_regions; }
  const OverlayScene& scene() const { return m_scene; }
  OverlayScene& scene() { return m_scene; }
  const TrackFile& trackFile() const { return m_trackFile; }
  OverlayRenderer& renderer() { return m_renderer; }
  std::optional<QPointF> vesselPixel() const;
  // Zone hit by the last click, -1 none.
  long clickedZone() const { return m_clickedZone; }
  double mouseLatitude() const { return m_mouseLat; }
  double mouseLongitude() const { return m_mouseLon; }
  // Overlays other parts hand over (they are kept across redraws): the active route,
  // loaded tracks, log-entry positions, info points, radar targets.
  void setActiveRoute(std::vector<GeoPoint> points);
  void setLoadedTracks(std::vector<std::vector<GeoPoint>> tracks);
  void setLogPositions(std::vector<LogItem> entries, bool shown);
  void setInfoPoints(std::vector<InfoItem> points, std::map<QString, QImage> icons, bool shown);
  void setRadarTargets(std::vector<RadarItem> targets);
  // Drawing on the chart while a draw flag of the pop-up menu is set: the positions
  // clicked, for the windows that save drawn routes, zones and tracks.
  const std::vector<GeoPoint>& drawnPoints() const { return m_drawn; }
  void clearDrawnPoints();
  // Opens the file of an info point ("File not found" when it is missing). False when
  // nothing was opened.
  bool openInfoPoint(const InfoItem& item);
  // Timer4: the proximity sound every five seconds while on (the alarms switch it).
  void setProximitySound(bool on);
  bool proximitySound() const;
  // Go-to target drawn as the go-to line (set by the go-to window).
  void setGotoTarget(std::optional<std::pair<double, double>> latLon);
  // The go-to line follows the App's go-to while one runs.
  void followGoto();
  QMenu* contextMenu() const { return m_contextMenu; }
  QWidget* canvas() const;
  bool timer5Active() const;
  // Renders the window's chart area into an image (screenshots and tests).
  QImage renderView();
  // The visible chart area with its overlays, scaled into `target` keeping its aspect
  // ratio and centred there (printing). False when no chart is shown.
  bool renderVisible(QPainter& p, const QRectF& target);
  // DumpChartToPrinter: the visible chart area (the canvas inside the scroll bars, in
  // whole pixels) on one page of `printer`, scaled to fit and centred.
  bool DumpChartToPrinter(QPrinter& printer);
  bool printVisible(QPrinter& printer) { return DumpChartToPrinter(printer); }

  // Pointer handling of the canvas, in window pixels of the canvas.
  void pointerMoved(QPoint canvasPos);
  void pointerReleased(QPoint canvasPos, Qt::MouseButton button, QPoint globalPos);
  bool mouseHeld() const { return m_mouseHeld; }
  void setMouseHeld(bool held) { m_mouseHeld = held; }
  void paintCanvas(QPainter& p, const QRect& canvasRect);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void buildUi();
  // Form_QueryUnload and Form_Unload: false when the user keeps the window open.
  bool queryUnload();
  void unload();
  void buildContextMenu();
  void applyNightScreen();
  // Everything drawn over the chart picture, in canvas pixels.
  void paintOverlays(QPainter& p);
  void restorePlacement();
  void savePlacement();
  void updateScrollRanges();
  void onScrolled();
  void updateCaption();
  void updateDynamic();
  // The radar cursor: from the vessel to the target the radar window shows, while it is reported.
  std::optional<QLineF> radarCursorLine(QPointF vessel) const;
  void rebuildTrackLine();
  void setProjectionForZoom();
  void setZoomLevel(double z);
  void placeVessel();
  void showNotice(const QString& text);
  bool folderSet() const;
  // perFix: the search after a fix, which tells about a missing chart once until a
  // chart is found again (not every second).
  void runFolderSearch(bool perFix = false);
  // The best chart of the database or the folder: from the index while it is current.
  QString bestChart(bool folder, double lat, double lon, ChartRanking ranking);
  ChartIndex& index(bool folder);
  void requestLoad(const QString& description);
  bool drawing() const;
  // The click an automation client hears about (ChartClick).
  void noteClick(QPointF content);
  // A pop-up draw command: starts its drawing, or ends the one under way.
  void toggleDrawing(bool RequestFlags::*flag);
  // A left click for a pending waypoint move or on a waypoint (opens `gpsewp`).
  bool waypointClicked(QPointF content);
  void paintDrawn(QPainter& p) const;
  // Ship and info point under the pointer (within a symbol's reach), or nullptr.
  const ShipItem* shipAt(QPointF content) const;
  const InfoItem* infoAt(QPointF content) const;

  App& m_app;
  std::unique_ptr<ChartProvider> m_provider;
  std::optional<ShownChart> m_chart;
  std::unique_ptr<ChartProjection> m_proj;
  TileCache m_tiles;
  double m_zoom = 1.0;
  OverlayScene m_scene;
  OverlayScene m_handedOver;  // route, loaded tracks, log, info points, radar
  bool m_radarFromTable = false;  // the chart shows the radar table (and its resets)
  // The overlay tables as last read, re-read only when the database changed or another
  // chart is shown.
  OverlayScene m_tables;
  qint64 m_tablesStamp = -2;
  QString m_tablesChart;
  OverlayRenderer m_renderer;
  OverlayRegions m_regions;
  TrackFile m_trackFile;
  ChartFixCycle m_cycle;
  ChartIndex m_allIndex, m_folderIndex;
  // What the cached indexes were read at: -2 never; the provider's change stamp.
  qint64 m_allStamp = -2, m_folderStamp = -2;
  int m_folderKeyRead = 0;
  std::optional<std::pair<double, double>> m_gotoTarget;
  QString m_tablesWaypoints;  // the displayed-waypoints query m_tables was read with
  bool m_gotoFromSteering = false;
  std::vector<GeoPoint> m_drawn;
  bool m_pointerSinceDraw = false;  // the pointer was over the chart since drawing began

  ChartCanvas* m_canvas = nullptr;
  QScrollBar* m_h = nullptr;
  QScrollBar* m_v = nullptr;
  QLabel* m_position = nullptr;
  QLabel* m_direction = nullptr;
  QLabel* m_notice = nullptr;
  QTimer* m_noticeTimer = nullptr;
  QTimer* m_timer1 = nullptr;
  QTimer* m_timer2 = nullptr;
  QTimer* m_timer4 = nullptr;
  QTimer* m_timer5 = nullptr;
  QMenu* m_contextMenu = nullptr;

  std::optional<QPoint> m_pointer;  // canvas pixels
  double m_mouseLat = 0, m_mouseLon = 0;
  double m_clickLat = 0, m_clickLon = 0;
  long m_clickedZone = -1;
  long m_clickedInfo = 0;  // info point under the pointer at the last right-click
  bool m_mouseHeld = false;
  bool m_placementRestored = false;
  bool m_unloaded = false;
  bool m_folderMissShown = false;
  // A chart load or zoom happened without a fix: the first fix keeps the vessel in view.
  bool m_keepPending = false;
  QPointer<QWidget> m_watchedTop;
};

}  // namespace tavrik
