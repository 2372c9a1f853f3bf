#pragma once
// `gpsmark` ("Mark waypoint"): stores a new waypoint at the position to mark, which it
// can average over time; `gpsewp`: changes, moves or deletes a waypoint.

#include <QWidget>

#include "edit/waypoint_marking.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace tavrik {

class App;
class PositionControl;

// The fields both windows share.
class WaypointForm : public QWidget {
  Q_OBJECT
 public:
  WaypointForm(App& app, QWidget* parent);
  WaypointFields fields() const;
  void setFields(const WaypointFields& f);
  PositionControl* position() const { return m_position; }
  QLineEdit* description() const { return m_desc; }
  QLineEdit* proximity() const { return m_proximity; }
  QCheckBox* approachable() const { return m_approachable; }
  QComboBox* types() const { return m_types; }
  QComboBox* groups() const { return m_group; }

 private:
  App& m_app;
  PositionControl* m_position;
  QLineEdit* m_desc;
  QLineEdit* m_proximity;
  QCheckBox* m_approachable;
  QPlainTextEdit* m_memo;
  QComboBox* m_types;
  QComboBox* m_group;
};

class MarkWindow : public QWidget {
  Q_OBJECT
  Q_PROPERTY(double latitude READ latitude WRITE setLatitude)
  Q_PROPERTY(double longitude READ longitude WRITE setLongitude)
 public:
  explicit MarkWindow(App& app, QWidget* parent = nullptr);
  ~MarkWindow() override;
  // The position to mark; setting it (another window's position) ends any averaging
  // offer, which belongs to the current position only.
  double latitude() const { return m_markLat; }
  double longitude() const { return m_markLon; }
  void setLatitude(double lat);
  void setLongitude(double lon);
  WaypointForm* form() const { return m_form; }
  QPushButton* averageButton() const { return m_average; }
  // "&Average" and the timer's tick.
  void startAveraging();
  void tick();
  bool averaging() const;
  const MarkAverager& averager() const { return m_averager; }
  // OK: true when the waypoint was stored (the window then closes).
  bool store();

 private:
  void stopAveraging();
  App& m_app;
  WaypointForm* m_form;
  QLabel* m_positionText;
  QPushButton* m_average;
  QTimer* m_timer;
  MarkAverager m_averager;
  float m_markLat = 0, m_markLon = 0;
};

class EditWaypointWindow : public QWidget {
  Q_OBJECT
 public:
  explicit EditWaypointWindow(App& app, QWidget* parent = nullptr);
  WaypointForm* form() const { return m_form; }
  long waypoint() const { return m_key; }
  bool store();
  void remove();
  // "&Move": the chart's next click becomes the position.
  void moveOnChart();

 private:
  App& m_app;
  WaypointForm* m_form;
  long m_key = 0;
};

}  // namespace tavrik
