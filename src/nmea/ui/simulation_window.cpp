#include "nmea/ui/simulation_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "app/app.h"
#include "core/main_cycle.h"
#include "core/messages.h"
#include "core/ui/main_window.h"
#include "store/database.h"

namespace tavrik {

namespace {
// Sliders work in whole steps of this many per unit.
constexpr int kSliderScale = 10;

float wrap360(float v) {
  v = std::fmod(v, 360.0f);
  return v < 0 ? v + 360.0f : v;
}
}  // namespace

SimulationWindow::SimulationWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpssimul"));
  setWindowTitle(QStringLiteral("Simulation"));
  auto* form = new QFormLayout;
  m_waypoint = new QComboBox(this);
  m_waypoint->setObjectName(QStringLiteral("waypoint"));
  m_waypoint->addItem(QStringLiteral("Entered position"));
  if (m_app.db.isOpen() && m_app.db.hasTable(QStringLiteral("Waypoints"))) {
    auto rs = m_app.db.openRecordset(QStringLiteral("SELECT * FROM Waypoints ORDER BY description"));
    for (; !rs->eof(); rs->moveNext())
      m_waypoint->addItem(rs->value(QStringLiteral("description")).toString(),
                          QPointF(rs->value(QStringLiteral("longitude")).toDouble(),
                                  rs->value(QStringLiteral("latitude")).toDouble()));
  }
  connect(m_waypoint, &QComboBox::currentIndexChanged, this, [this](int i) { chooseWaypoint(i); });
  form->addRow(QStringLiteral("Start at"), m_waypoint);
  m_lat = addValue(form, "latitude", QStringLiteral("Latitude"), -89.99999, 89.99999, 5, false);
  m_lon = addValue(form, "longitude", QStringLiteral("Longitude"), -180, 180, 5, false);
  m_course = addValue(form, "course", QStringLiteral("True course"), 0, 359.9, 1, true);
  m_magnetic = addValue(form, "magnetic", QStringLiteral("Magnetic course"), 0, 359.9, 1, true);
  m_speed = addValue(form, "speed", QStringLiteral("Speed"), 0, 60, 1, true);
  m_speedRow = m_lastRow;
  m_depth = addValue(form, "depth", QStringLiteral("Depth (m)"), 0, 500, 1, true);
  m_temp = addValue(form, "temperature", QStringLiteral("Water temperature (°C)"), -2, 40, 1, true);
  m_pressure = addValue(form, "pressure", QStringLiteral("Air pressure (mb)"), 900, 1080, 1, true);
  m_windDir = addValue(form, "winddirection", QStringLiteral("Wind direction"), 0, 359.9, 1, true);
  m_windSpeed = addValue(form, "windspeed", QStringLiteral("Wind speed (Kts)"), 0, 80, 1, true);
  m_speedUnit = new QLabel(this);
  m_speedUnit->setObjectName(QStringLiteral("speedunit"));
  // The unit label sits beside the speed field.
  m_speedRow->insertWidget(1, m_speedUnit);
  m_position = new QLabel(this);
  m_position->setObjectName(QStringLiteral("position"));
  form->addRow(QStringLiteral("Position"), m_position);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  m_ok = buttons->button(QDialogButtonBox::Ok);
  m_ok->setObjectName(QStringLiteral("Command1"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Command2"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] {
    if (cancel()) {
      m_confirmedClose = true;
      close();
    }
  });
  auto* top = new QVBoxLayout(this);
  top->addLayout(form);
  top->addWidget(buttons);

  m_timer = new QTimer(this);
  m_timer->setObjectName(QStringLiteral("Timer1"));
  m_timer->setInterval(1000);
  connect(m_timer, &QTimer::timeout, this, [this] { tick(); });

  // Start where the simulator is (when it runs) or where the vessel last was.
  // A last position off the chart shown would sail where nothing can be seen: then
  // the vessel starts on the chart's water.
  SimulatorState s = m_app.simulator.state;
  if (!m_app.simulator.isRunning()) {
    s.latitude = m_app.nav.Latitude;
    s.longitude = m_app.nav.Longitude;
    s.shownUnit = m_app.settings.units.DistanceUnit;
    if (const std::optional<SimulationStart> start = startOnChart()) {
      s.latitude = static_cast<float>(start->latitude);
      s.longitude = static_cast<float>(start->longitude);
      s.trueCourse = static_cast<float>(start->courseDeg);
    }
  }
  setFieldState(s);
  if (m_app.simulator.isRunning()) {
    m_ok->setEnabled(false);
    m_timer->start();
  }
}

SimulationWindow::~SimulationWindow() {
  // The simulation lives as long as its window.
  if (m_app.simulator.isRunning()) m_app.simulator.stop();
}

QDoubleSpinBox* SimulationWindow::addValue(QFormLayout* form, const char* name, const QString& caption, double min,
                                           double max, int decimals, bool withSlider) {
  auto* spin = new QDoubleSpinBox(this);
  spin->setObjectName(QLatin1String(name));
  spin->setRange(min, max);
  spin->setDecimals(decimals);
  spin->setMinimumWidth(110);
  if (!withSlider) {
    // A position is typed digit by digit: taken on Enter or leaving the field, not at
    // every key ("-8" on the way to "-89.44" would steer the vessel there).
    spin->setKeyboardTracking(false);
    if (auto* edit = spin->findChild<QLineEdit*>())
      connect(edit, &QLineEdit::textEdited, this, [this] { m_typingPosition = true; });
    connect(spin, &QDoubleSpinBox::editingFinished, this, [this] { m_typingPosition = false; });
    form->addRow(caption, spin);
    connect(spin, &QDoubleSpinBox::valueChanged, this, [this] { fieldsChanged(); });
    return spin;
  }
  auto* row = new QHBoxLayout;
  row->addWidget(spin);
  auto* slider = new QSlider(Qt::Horizontal, this);
  slider->setObjectName(QStringLiteral("%1slider").arg(QLatin1String(name)));
  slider->setRange(static_cast<int>(std::lround(min * kSliderScale)), static_cast<int>(std::lround(max * kSliderScale)));
  slider->setMinimumWidth(160);
  row->addWidget(slider, 1);
  form->addRow(caption, row);
  m_lastRow = row;
  connect(slider, &QSlider::valueChanged, spin, [spin](int v) {
    if (std::lround(spin->value() * kSliderScale) != v) spin->setValue(static_cast<double>(v) / kSliderScale);
  });
  connect(spin, &QDoubleSpinBox::valueChanged, slider, [slider](double v) {
    const int iv = static_cast<int>(std::lround(v * kSliderScale));
    if (slider->value() != iv) slider->setValue(iv);
  });
  connect(spin, &QDoubleSpinBox::valueChanged, this, [this] { fieldsChanged(); });
  return spin;
}

SimulatorState SimulationWindow::fieldState() const {
  SimulatorState s = m_app.simulator.state;
  s.latitude = static_cast<float>(m_lat->value());
  s.longitude = static_cast<float>(m_lon->value());
  s.trueCourse = static_cast<float>(m_course->value());
  s.magneticCourse = static_cast<float>(m_magnetic->value());
  s.speed = static_cast<float>(m_speed->value());
  s.depthMetres = static_cast<float>(m_depth->value());
  s.waterTemperature = static_cast<float>(m_temp->value());
  s.airPressure = static_cast<float>(m_pressure->value());
  s.windDirection = static_cast<float>(m_windDir->value());
  s.windSpeed = static_cast<float>(m_windSpeed->value());
  return s;
}

void SimulationWindow::setFieldState(const SimulatorState& s) {
  m_updating = true;
  m_lat->setValue(s.latitude);
  m_lon->setValue(s.longitude);
  m_course->setValue(s.trueCourse);
  m_magnetic->setValue(s.magneticCourse);
  m_speed->setValue(s.speed);
  m_depth->setValue(s.depthMetres);
  m_temp->setValue(s.waterTemperature);
  m_pressure->setValue(s.airPressure);
  m_windDir->setValue(s.windDirection);
  m_windSpeed->setValue(s.windSpeed);
  m_updating = false;
  m_app.simulator.state.shownUnit = s.shownUnit;
  showState();
}

void SimulationWindow::fieldsChanged() {
  if (m_updating) return;
  // The magnetic course follows the true one through variation and deviation unless
  // the magnetic field itself was changed.
  QObject* from = sender();
  if (from == m_course) {
    m_updating = true;
    m_magnetic->setValue(wrap360(m_app.settings.compass.ToMagnetic(static_cast<float>(m_course->value()),
                                                                 m_app.nav.GpsVariation)));
    m_updating = false;
  }
  if (m_app.simulator.isRunning()) {
    // Steering while sailing: everything but the position (which the simulator owns).
    const float lat = m_app.simulator.state.latitude, lon = m_app.simulator.state.longitude;
    const QString unit = m_app.simulator.state.shownUnit;
    m_app.simulator.state = fieldState();
    if (from != m_lat && from != m_lon) {
      m_app.simulator.state.latitude = lat;
      m_app.simulator.state.longitude = lon;
    }
    m_app.simulator.state.shownUnit = unit;
  }
  showState();
}

void SimulationWindow::chooseWaypoint(int index) {
  const QVariant v = m_waypoint->itemData(index);
  if (!v.isValid()) return;
  const QPointF p = v.toPointF();
  m_lat->setValue(p.y());
  m_lon->setValue(p.x());
}

void SimulationWindow::showState() {
  const SimulatorState& s = m_app.simulator.isRunning() ? m_app.simulator.state : fieldState();
  m_speedUnit->setText(Units::fromSetting(m_app.simulator.state.shownUnit).speedLabel());
  m_position->setText(degreesMinutesText(s.latitude, s.longitude, m_app.settings.decimals()));
}

std::optional<SimulationStart> SimulationWindow::startOnChart() const {
  if (!m_app.simulationStartOnChart) return std::nullopt;
  return m_app.simulationStartOnChart(m_app.nav.Latitude, m_app.nav.Longitude);
}

void SimulationWindow::startDemo(std::optional<SimulatorStart> start) {
  SimulatorState s = fieldState();
  s.trueCourse = 45;
  if (start) {
    s.latitude = start->latitude;
    s.longitude = start->longitude;
    s.trueCourse = start->trueCourse;
  } else if (const std::optional<SimulationStart> onChart = startOnChart()) {
    s.latitude = static_cast<float>(onChart->latitude);
    s.longitude = static_cast<float>(onChart->longitude);
    s.trueCourse = static_cast<float>(onChart->courseDeg);
  } else if (s.latitude == 0 && s.longitude == 0) {
    // The middle of the demo chart.
    s.latitude = 52.25f;
    s.longitude = 4.5f;
  }
  s.speed = 6.0f * m_app.settings.units.UnitFactor;
  s.depthMetres = 14.5f;
  s.waterTemperature = 15.2f;
  s.airPressure = 1016;
  s.windDirection = 230;
  s.windSpeed = 14;
  s.shownUnit = m_app.settings.units.DistanceUnit;
  setFieldState(s);
  m_updating = true;
  m_magnetic->setValue(wrap360(m_app.settings.compass.ToMagnetic(s.trueCourse, m_app.nav.GpsVariation)));
  m_updating = false;
  accept();
}

bool SimulationWindow::isSimulating() const { return m_app.simulator.isRunning(); }

void SimulationWindow::accept() {
  if (m_app.simulator.isRunning()) return;
  // The simulator takes the receive path over: live input stops and the input panel
  // names the simulator.
  if (m_app.receiver.isRunning() && !m_app.player.isRunning()) m_app.receiver.StopCommunication();
  m_app.panels[Panel::InputSource].clear();
  const QString unit = m_app.simulator.state.shownUnit;
  m_app.simulator.state = fieldState();
  m_app.simulator.state.shownUnit = unit;
  m_app.simulator.start();
  m_ok->setEnabled(false);
  m_timer->start();
  tick();
}

void SimulationWindow::tick() {
  if (!m_app.simulator.isRunning()) {
    m_timer->stop();
    m_ok->setEnabled(true);
    return;
  }
  m_app.simulator.tick();
  const SimulatorState& s = m_app.simulator.state;
  // The simulator moves the vessel and converts the speed when the units changed; a
  // field the user is typing in keeps what is typed (the position label shows the move).
  m_updating = true;
  if (!m_typingPosition) {
    m_lat->setValue(s.latitude);
    m_lon->setValue(s.longitude);
  }
  m_speed->setValue(s.speed);
  m_updating = false;
  showState();
}

bool SimulationWindow::cancel() {
  if (!m_app.simulator.isRunning()) return true;
  if (!m_app.prompter.question(MessageText(Msg::CancelSimulation))) return false;
  m_timer->stop();
  m_app.simulator.stop();
  m_ok->setEnabled(true);
  return true;
}

void SimulationWindow::closeEvent(QCloseEvent* event) {
  const auto* main = qobject_cast<const MainWindow*>(window());
  if (main && main->isShuttingDown()) m_confirmedClose = true;  // the program ends: no question
  if (!m_confirmedClose && !cancel()) {
    event->ignore();
    return;
  }
  m_confirmedClose = false;
  m_timer->stop();
  if (m_app.simulator.isRunning()) m_app.simulator.stop();
  QWidget::closeEvent(event);
}

}  // namespace tavrik
