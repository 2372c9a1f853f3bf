#pragma once
// The anchor watch window `gpswatch`: the anchor's position, the watch range, bearing
// and distance to the anchor each second and a plot of the swinging circle.

#include <QWidget>
#include <memory>

#include "nav/anchor_watch.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace tavrik {

class App;
class PositionControl;

// The range circle around the anchor (the centre) and the vessel's mark at her
// bearing and distance; the scale keeps both in view.
class AnchorPlot : public QWidget {
  Q_OBJECT
 public:
  explicit AnchorPlot(QWidget* parent = nullptr);
  void setWatch(double rangeNm, double bearingDeg, double distanceNm, bool alarm);
  // Before the watch starts: the circle only.
  void setRange(double rangeNm) {
    m_range = rangeNm;
    update();
  }
  QSize sizeHint() const override { return {220, 220}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  double m_range = 0, m_bearing = 0, m_distance = 0;
  bool m_hasVessel = false, m_alarm = false;
};

class AnchorWatchWindow : public QWidget {
  Q_OBJECT
 public:
  explicit AnchorWatchWindow(App& app, QWidget* parent = nullptr);
  ~AnchorWatchWindow() override;

  AnchorWatch& watch() { return m_watch; }
  QLineEdit* rangeBox() const { return m_range; }
  QCheckBox* alarmBox() const { return m_alarm; }
  QPushButton* okButton() const { return m_ok; }
  // OK: starts the watch with the range in the box.
  void start();
  // Timer1 (1000 ms): bearing, distance, plot and alarm.
  void tick();
  QString bearingText() const;
  QString bearingMText() const;
  QString distanceText() const;

 protected:
  // Closing ends the watch at once, before the window is deleted, so that a pending
  // alarm cannot show it again.
  void closeEvent(QCloseEvent* e) override;

 private:
  App& m_app;
  AnchorWatch m_watch;
  PositionControl* m_anchor = nullptr;
  QLineEdit* m_range = nullptr;
  QCheckBox* m_alarm = nullptr;
  QPushButton* m_ok = nullptr;
  QLabel* m_bearing = nullptr;
  QLabel* m_bearingM = nullptr;
  QLabel* m_distance = nullptr;
  AnchorPlot* m_plot = nullptr;
  QTimer* m_timer = nullptr;
};

}  // namespace tavrik
