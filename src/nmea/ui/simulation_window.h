#pragma once
// "Simulation" (`gpssimul`): sails a virtual vessel. The start position (a waypoint
// or an entered position), courses, speed in the current unit, depth, water
// temperature, air pressure and wind are set through fields and sliders; OK starts
// the simulator, and while it runs every change steers it at once. Cancel (or
// closing the window) asks "Cancel simulation?" and stops it.

#include <QWidget>
#include <optional>

#include "app/app.h"
#include "nmea/nmea_simulator.h"

class QCloseEvent;
class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

namespace tavrik {

class App;

// Where and whither the demo vessel starts: a position and a true course.
struct SimulatorStart {
  float latitude = 0, longitude = 0, trueCourse = 0;
};

class SimulationWindow : public QWidget {
  Q_OBJECT
 public:
  explicit SimulationWindow(App& app, QWidget* parent = nullptr);
  ~SimulationWindow() override;

  // OK: takes the fields and starts the simulator (its timer ticks every second).
  void accept();
  // Cancel: asks "Cancel simulation?" while simulating; true when the window may close.
  bool cancel();
  // One simulator second (the window's timer calls it).
  void tick();
  bool isSimulating() const;
  // Sails 6 knots north-east from the last position (the demo chart's middle when
  // there is none), or from the start given on its course, or, when the last
  // position is off the chart shown, from that chart's water, with instrument values
  // to show (the --simulate and --simulate-from options).
  void startDemo(std::optional<SimulatorStart> start = {});
  // The fields as simulator state.
  SimulatorState fieldState() const;
  void setFieldState(const SimulatorState& s);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QDoubleSpinBox* addValue(QFormLayout* form, const char* name, const QString& caption, double min,
                           double max, int decimals, bool slider);
  void fieldsChanged();
  void chooseWaypoint(int index);
  void showState();
  // Where the chart window would start a vessel whose last position is off its chart.
  std::optional<SimulationStart> startOnChart() const;

  App& m_app;
  QComboBox* m_waypoint = nullptr;
  QDoubleSpinBox *m_lat = nullptr, *m_lon = nullptr, *m_course = nullptr, *m_magnetic = nullptr,
                 *m_speed = nullptr, *m_depth = nullptr, *m_temp = nullptr, *m_pressure = nullptr,
                 *m_windDir = nullptr, *m_windSpeed = nullptr;
  QLabel* m_speedUnit = nullptr;
  QHBoxLayout* m_lastRow = nullptr;
  QHBoxLayout* m_speedRow = nullptr;
  QLabel* m_position = nullptr;
  QPushButton* m_ok = nullptr;
  QTimer* m_timer = nullptr;
  bool m_updating = false;
  // The user is typing a position: the sailing vessel does not overwrite it.
  bool m_typingPosition = false;
  bool m_confirmedClose = false;
};

}  // namespace tavrik
