#pragma once
// `gpstshow`, "Show overview": the whole sailing area on a blank canvas (OverviewScene)
// with scroll bars, its layers and zoom steps as checkable menu entries, printing
// through a preview and saving as a picture. It only reads: nothing is written to the
// database.

#include <QWidget>

#include "chart/overview_scene.h"

class QAction;
class QMenuBar;
class QPrinter;
class QScrollBar;

namespace tavrik {

class App;
class OverviewCanvas;

// The overview's data from the App: chart outlines of the table and of the current
// folder, the displayed waypoints, the selected route, zones, ships, `$GPS.$$$` and the
// current position.
OverviewData ReadOverviewData(App& app);

class OverviewWindow : public QWidget {
  Q_OBJECT
 public:
  explicit OverviewWindow(App& app, QWidget* parent = nullptr);

  // Replaces the data (read at opening) and redraws.
  void setData(OverviewData data);
  const OverviewScene& scene() const { return m_scene; }
  const OverviewLayers& layers() const { return m_layers; }
  // Full redraw: lays the scene out for the layers and zoom step, sizes the scroll ranges.
  void redraw();
  // Zoom step 1, 2 or 4 (z_100, z_200, z_400).
  void setZoomStep(int step);
  // The whole canvas on one page, scaled to fit (m_print through the preview).
  bool printTo(QPrinter& printer) const;
  // The whole canvas as a picture: BMP for a .bmp name, else by the suffix (PNG).
  bool saveTo(const QString& path) const;
  QImage renderCanvas() const;
  QScrollBar* horizontalBar() const { return m_h; }
  QScrollBar* verticalBar() const { return m_v; }
  QSize visibleSize() const;
  void paintCanvas(QPainter& p, const QRect& canvasRect) const;

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  QAction* addCheck(QMenu* menu, const char* name, const QString& text, bool checked);
  void layerToggled(QAction* action);
  void updateScrollRanges();
  void updateCaption();
  void print();
  void save();

  App& m_app;
  OverviewData m_data;
  OverviewLayers m_layers;
  int m_zoom = 1;
  OverviewScene m_scene;
  QMenuBar* m_menuBar = nullptr;
  OverviewCanvas* m_canvas = nullptr;
  QScrollBar* m_h = nullptr;
  QScrollBar* m_v = nullptr;
  QAction* m_zoomActions[3] = {};
};

}  // namespace tavrik
