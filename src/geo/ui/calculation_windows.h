#pragma once
// The calculation and conversion windows of the navigation maths: Mercator
// calculations `gpscalc`, great circle calculations `gpsgcalc`,
// the grid conversion `gpsgrid`; and the main window's Calculations menu, which also
// reaches the datum conversion `gpsdconv` of the datum windows.

#include <QWidget>
#include <vector>

#include "geo/nav_math.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace tavrik {

class App;
class MainWindow;
class PositionControl;

void registerGridWindows(App& app);
// "Ca&lculations" menu (m_calc): calc_mercator, calc_greatcircle, calc_datum, calc_grid.
void addCalculationMenu(MainWindow& window);

// A position control set up as the App's settings want it (notation, decimals, beeps).
PositionControl* makePositionControl(App& app, const QString& objectName, QWidget* parent);

class MercatorCalcWindow : public QWidget {
  Q_OBJECT
 public:
  explicit MercatorCalcWindow(App& app, QWidget* parent = nullptr);
  // "&Course/Dist": rhumb-line course and distance from point 1 to point 2.
  void courseDistance();
  // "End &position": dead reckoning from point 1 with the course and distance boxes.
  void endPosition();
  // Fills both waypoint lists from the Waypoints table.
  void loadWaypoints();

 private:
  void chooseWaypoint(QComboBox* list, PositionControl* control);
  void courseEdited(bool magnetic);

  App& m_app;
  PositionControl* m_pos1;
  PositionControl* m_pos2;
  QComboBox* m_wplist1;
  QComboBox* m_wplist2;
  QLineEdit* m_course;
  QLineEdit* m_courseM;
  QLineEdit* m_distance;
};

class GreatCircleWindow : public QWidget {
  Q_OBJECT
 public:
  explicit GreatCircleWindow(App& app, QWidget* parent = nullptr);
  // "&Calculate": course and distance, then the route points into List1.
  void calculate();
  const std::vector<LatLon>& points() const { return m_points; }
  // "Create &route": the listed points saved as a new route (`gpscroute`).
  void createRoute();

 private:
  App& m_app;
  PositionControl* m_pos1;
  PositionControl* m_pos2;
  PositionControl* m_pos3;  // formats the listed points
  QLineEdit* m_interval;
  QLabel* m_courseLabel;
  QLabel* m_courseMLabel;
  QLabel* m_distanceLabel;
  QListWidget* m_list;
  std::vector<LatLon> m_points;
};

// One position entered in any notation, shown in all five at once.
class GridConversionWindow : public QWidget {
  Q_OBJECT
 public:
  explicit GridConversionWindow(App& app, QWidget* parent = nullptr);
  // The notation of the entry (0..4); UTMConversion opens with 2, NGRConversion with 4.
  void setEntryGrid(int grid);
  void setPosition(double lat, double lon);
  QString resultText(int grid) const;

 private:
  void showResults();
  App& m_app;
  QComboBox* m_notation;
  PositionControl* m_entry;
  std::vector<QLabel*> m_results;
};

}  // namespace tavrik
