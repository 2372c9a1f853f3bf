#pragma once
// "Routes" (`gpsrout`): the points of a route in their order with the route's length;
// waypoints are added at the end or removed, and "&Follow" starts the go-to along it.

#include <QWidget>

class QComboBox;
class QLabel;
class QListWidget;

namespace tavrik {

class App;

class RouteWindow : public QWidget {
  Q_OBJECT
 public:
  explicit RouteWindow(App& app, QWidget* parent = nullptr);
  int route() const;
  void addWaypoint(int waypoint);
  void removeSelected();
  void follow();

 private:
  void fillRoutes();
  void showPoints();

  App& m_app;
  QComboBox *m_routes, *m_waypoints;
  QListWidget* m_points;
  QLabel* m_length;
};

}  // namespace tavrik
