#pragma once
// The graph windows `gpsgrapt` (temperature), `gpsgrapp` (barograph) and `gpsgrapd`
// (depth) over the histories of the App, each redrawn on its own interval, and the
// graph setup `gpsgset`.

#include <QWidget>
#include <array>

#include "log/graph_history.h"

class QLineEdit;
class QTabBar;
class QTimer;
class QLineSeries;
class QValueAxis;
class QChartView;

namespace tavrik {

class App;

void registerGraphWindows(App& app);

class GraphWindow : public QWidget {
  Q_OBJECT
 public:
  GraphWindow(App& app, int graph, QWidget* parent = nullptr);
  int graph() const { return m_graph; }
  // Draws the history clamped to the axis of the settings.
  void draw();
  // Timer1, once a minute: draws every interval minutes.
  void minuteTick();
  QLineSeries* series() const { return m_series; }
  QValueAxis* valueAxis() const { return m_axisY; }
  QChartView* chartView() const { return m_view; }
  // The size of the graph settings (twips, 15 to a pixel); the frame opens at it.
  QSize sizeHint() const override;

 private:
  App& m_app;
  int m_graph;
  int m_minutes = 0;
  QChartView* m_view = nullptr;
  QLineSeries* m_series = nullptr;
  QValueAxis* m_axisX = nullptr;
  QValueAxis* m_axisY = nullptr;
  QTimer* m_timer = nullptr;
};

class GraphSetupWindow : public QWidget {
  Q_OBJECT
 public:
  explicit GraphSetupWindow(App& app, QWidget* parent = nullptr);
  // OK: each graph in turn checked and stored; false at the first refusal.
  bool accept();
  void selectGraph(int graph);

 private:
  void keepBoxes();
  App& m_app;
  QTabBar* m_tabs = nullptr;
  QLineEdit *m_interval = nullptr, *m_min = nullptr, *m_max = nullptr, *m_period = nullptr;
  std::array<GraphSetupEntry, kGraphCount> m_entries;
  int m_shown = 0;
};

}  // namespace tavrik
