#include "log/ui/instrument_windows.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "app/app.h"
#include "core/number_format.h"
#include "core/units.h"
#include "geo/ui/record_list_window.h"
#include "log/trip.h"

namespace tavrik {

namespace {

QLabel* valueLabel(QWidget* parent, const QString& name, std::map<QString, QLabel*>& into) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  QFont f = l->font();
  f.setPointSizeF(f.pointSizeF() * 1.3);
  f.setBold(true);
  l->setFont(f);
  l->setMinimumWidth(110);
  into[name] = l;
  return l;
}

QString labelText(const std::map<QString, QLabel*>& values, const QString& name) {
  const auto it = values.find(name);
  return it == values.end() ? QString() : it->second->text();
}

QTimer* everySecond(QWidget* window, std::function<void()> run) {
  auto* t = new QTimer(window);
  t->setObjectName(QStringLiteral("Timer1"));
  t->setInterval(1000);
  QObject::connect(t, &QTimer::timeout, window, std::move(run));
  t->start();
  return t;
}

// The true wind from the received one, the boat's heading and speed through water.
WindVector trueWindOf(const NavigationState& nav) {
  return trueFromApparent(nav.HeadingMagnetic, nav.WaterSpeed, {nav.WindDirection, nav.WindSpeed});
}

}  // namespace

InstrumentsWindow::InstrumentsWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsinstr"));
  setWindowTitle(tr("Instruments"));
  auto* grid = new QGridLayout;
  int row = 0;
  const auto add = [&](const QString& caption, const char* name, int column) {
    grid->addWidget(new QLabel(caption, this), row, column * 2);
    grid->addWidget(valueLabel(this, QLatin1String(name), m_values), row, column * 2 + 1);
    if (column == 1) ++row;
  };
  add(tr("SOG"), "sog", 0);
  add(tr("COG (True)"), "cog", 1);
  add(tr("Speed"), "speedw", 0);
  add(tr("Heading (Magnetic)"), "heading", 1);
  add(tr("Depth"), "depth", 0);
  add(tr("Temperature"), "temp", 1);
  add(tr("Pressure"), "pressure", 0);
  add(tr("HDOP"), "hdop", 1);
  add(tr("Wind"), "wind", 0);
  add(tr("Wind direction"), "winddir", 1);
  add(tr("Beaufort"), "beaufort", 0);
  add(tr("Autopilot"), "autopilot", 1);
  auto* trip = new QGroupBox(tr("Trip"), this);
  auto* tripGrid = new QGridLayout(trip);
  int tripRow = 0;
  const auto addTrip = [&](const QString& caption, const char* name, int column) {
    tripGrid->addWidget(new QLabel(caption, trip), tripRow, column * 2);
    tripGrid->addWidget(valueLabel(trip, QLatin1String(name), m_values), tripRow, column * 2 + 1);
    if (column == 1) ++tripRow;
  };
  addTrip(tr("Time"), "elapsed", 0);
  addTrip(tr("Distance"), "tripdist", 1);
  addTrip(tr("Made good"), "dmg", 0);
  addTrip(tr("CMG (True)"), "cmg", 1);
  addTrip(tr("VMG"), "vmg", 0);
  addTrip(tr("Average speed"), "avgspeed", 1);
  m_relative = new QRadioButton(tr("Relative"), this);
  m_relative->setObjectName(QStringLiteral("rel"));
  m_absolute = new QRadioButton(tr("Absolute"), this);
  m_absolute->setObjectName(QStringLiteral("ab"));
  m_absolute->setChecked(true);
  connect(m_relative, &QRadioButton::toggled, this, [this] { refresh(); });
  auto* reset = new QPushButton(tr("&Reset"), this);
  reset->setObjectName(QStringLiteral("Command1"));
  connect(reset, &QPushButton::clicked, this, [this] {
    resetTrip(m_app.nav);
    refresh();
  });
  auto* foot = new QHBoxLayout;
  foot->addWidget(m_relative);
  foot->addWidget(m_absolute);
  foot->addStretch();
  foot->addWidget(reset);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(trip);
  layout->addLayout(foot);
  everySecond(this, [this] { refresh(); });
  refresh();
}

void InstrumentsWindow::refresh() {
  const NavigationState& n = m_app.nav;
  const Units& u = m_app.settings.units;
  const auto set = [this](const char* name, const QString& text) { m_values[QLatin1String(name)]->setText(text); };
  set("sog", FormatSpeed(n.SpeedOverGround, u));
  set("cog", FormatCourse(n.CourseOverGround));
  set("speedw", FormatWaterSpeed(n.WaterSpeed, u));
  set("heading", FormatHeading(n.HeadingMagnetic));
  set("depth", formatNumber(n.DepthMetres, u"0.0") + QStringLiteral(" m"));
  set("temp", FormatTemperature(n.WaterTemperature));
  set("pressure", FormatPressure(n.AirPressure));
  set("hdop", formatNumber(n.Hdop, u"0.0"));
  set("wind", FormatWindSpeed(n.WindSpeed));
  // Relative: the angle off the bow with its side; absolute: the direction.
  set("winddir", m_relative->isChecked() ? formatNumber(n.WindAngle, u"0") + QStringLiteral("° ") + n.WindSide
                                         : FormatWindDirection(n.WindDirection));
  set("beaufort", QString::number(Beaufort(n.WindSpeed)) + QStringLiteral(" Bf"));
  set("autopilot", n.SteerHeading > 0 ? FormatHeading(n.SteerHeading) : tr("off"));
  // Until the main cycle starts the trip clock (also right after Reset) the trip
  // values stay as they were.
  const TripValues t = tripValues(n, m_app.clock.now(), u);
  if (!t.elapsed.isEmpty()) {
    set("elapsed", t.elapsed);
    set("tripdist", t.distance);
    set("dmg", t.madeGood);
    set("cmg", t.courseMadeGood);
    set("vmg", t.vmg);
    set("avgspeed", t.averageSpeed);
  }
}

QString InstrumentsWindow::value(const QString& name) const { return labelText(m_values, name); }

void WindRose::setWinds(float headingDeg, WindVector received, WindVector trueWind) {
  m_heading = headingDeg;
  m_received = received;
  m_true = trueWind;
  update();
}

void WindRose::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const double r = std::min(width(), height()) / 2.0 - 14;
  p.translate(width() / 2.0, height() / 2.0);
  p.setPen(QPen(palette().color(QPalette::WindowText), 1));
  p.drawEllipse(QPointF(0, 0), r, r);
  // Ticks every 30 degrees, the bow up.
  for (int a = 0; a < 360; a += 30) {
    p.save();
    p.rotate(a);
    p.drawLine(QPointF(0, -r), QPointF(0, -r + (a % 90 == 0 ? 10 : 5)));
    p.restore();
  }
  // The boat.
  QPainterPath hull;
  hull.moveTo(0, -r * 0.45);
  hull.cubicTo(r * 0.2, -r * 0.2, r * 0.18, r * 0.3, r * 0.12, r * 0.4);
  hull.lineTo(-r * 0.12, r * 0.4);
  hull.cubicTo(-r * 0.18, r * 0.3, -r * 0.2, -r * 0.2, 0, -r * 0.45);
  p.setBrush(palette().color(QPalette::Mid));
  p.drawPath(hull);
  // An arrow from the rim towards the centre: where the wind comes from, off the bow.
  const auto arrow = [&](WindVector w, const QColor& colour) {
    if (w.speedKn <= 0) return;
    p.save();
    p.rotate(w.directionDeg - m_heading);
    p.setPen(QPen(colour, 3));
    p.setBrush(colour);
    p.drawLine(QPointF(0, -r), QPointF(0, -r * 0.55));
    QPolygonF head;
    head << QPointF(0, -r * 0.5) << QPointF(-7, -r * 0.62) << QPointF(7, -r * 0.62);
    p.drawPolygon(head);
    p.restore();
  };
  arrow(m_true, QColor(0, 90, 200));
  arrow(m_received, QColor(200, 40, 40));
}

WindDisplayWindow::WindDisplayWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsswind"));
  setWindowTitle(tr("Wind"));
  m_rose = new WindRose(this);
  m_rose->setObjectName(QStringLiteral("rose"));
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QString(), this), 0, 0);
  auto* received = new QLabel(tr("Apparent"), this);
  received->setStyleSheet(QStringLiteral("color: rgb(200,40,40); font-weight: bold"));
  auto* trueCaption = new QLabel(tr("True"), this);
  trueCaption->setStyleSheet(QStringLiteral("color: rgb(0,90,200); font-weight: bold"));
  grid->addWidget(received, 0, 1);
  grid->addWidget(trueCaption, 0, 2);
  const char* rows[] = {"force", "speed", "along", "angle"};
  const QString captions[] = {tr("Force"), tr("Speed (Knots)"), tr("Boat along wind"), tr("Angle")};
  for (int i = 0; i < 4; ++i) {
    grid->addWidget(new QLabel(captions[i], this), i + 1, 0);
    grid->addWidget(valueLabel(this, QStringLiteral("a_") + QLatin1String(rows[i]), m_values), i + 1, 1);
    grid->addWidget(valueLabel(this, QStringLiteral("t_") + QLatin1String(rows[i]), m_values), i + 1, 2);
  }
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(m_rose, 1);
  layout->addLayout(grid);
  everySecond(this, [this] { refresh(); });
  refresh();
}

void WindDisplayWindow::refresh() {
  const NavigationState& n = m_app.nav;
  const WindVector received{n.WindDirection, n.WindSpeed};
  const WindVector trueWind = trueWindOf(n);
  const auto show = [&](const QString& prefix, const WindDisplay& d) {
    m_values[prefix + "force"]->setText(d.force);
    m_values[prefix + "speed"]->setText(d.speed);
    m_values[prefix + "along"]->setText(d.alongBoat);
    m_values[prefix + "angle"]->setText(d.angle);
  };
  show(QStringLiteral("a_"), windDisplay(received, n.HeadingMagnetic, n.WaterSpeed, m_app.settings.units));
  show(QStringLiteral("t_"), windDisplay(trueWind, n.HeadingMagnetic, n.WaterSpeed, m_app.settings.units));
  m_rose->setWinds(n.HeadingMagnetic, received, trueWind);
}

QString WindDisplayWindow::value(const QString& name) const { return labelText(m_values, name); }

WindCalculatorWindow::WindCalculatorWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpswind"));
  setWindowTitle(tr("Calculate wind"));
  auto* grid = new QGridLayout;
  const auto add = [&](const char* name, int row, int column) {
    auto* e = new QLineEdit(QStringLiteral("0"), this);
    e->setObjectName(QLatin1String(name));
    m_boxes[QLatin1String(name)] = e;
    grid->addWidget(e, row, column);
  };
  grid->addWidget(new QLabel(tr("Heading (Magnetic)"), this), 0, 0);
  add("h", 0, 1);
  grid->addWidget(new QLabel(tr("Speed (Knots)"), this), 1, 0);
  add("s", 1, 1);
  grid->addWidget(new QLabel(tr("True"), this), 2, 1);
  grid->addWidget(new QLabel(tr("Apparent"), this), 2, 2);
  grid->addWidget(new QLabel(tr("Wind (Magnetic)"), this), 3, 0);
  add("wht", 3, 1);
  add("wha", 3, 2);
  grid->addWidget(new QLabel(tr("Wind (Knots)"), this), 4, 0);
  add("wst", 4, 1);
  add("wsa", 4, 2);
  grid->addWidget(new QLabel(tr("Wind (Beaufort)"), this), 5, 0);
  m_forceTrue = new QLabel(QStringLiteral("0"), this);
  m_forceTrue->setObjectName(QStringLiteral("wbt"));
  m_forceApparent = new QLabel(QStringLiteral("0"), this);
  m_forceApparent->setObjectName(QStringLiteral("wba"));
  grid->addWidget(m_forceTrue, 5, 1);
  grid->addWidget(m_forceApparent, 5, 2);
  auto* apparent = new QPushButton(tr("&Apparent"), this);
  apparent->setObjectName(QStringLiteral("cmdApparent"));
  auto* trueButton = new QPushButton(tr("&True"), this);
  trueButton->setObjectName(QStringLiteral("cmdTrue"));
  auto* close = new QPushButton(tr("&Close"), this);
  close->setObjectName(QStringLiteral("cmdClose"));
  connect(apparent, &QPushButton::clicked, this, [this] { toApparent(); });
  connect(trueButton, &QPushButton::clicked, this, [this] { toTrue(); });
  connect(close, &QPushButton::clicked, this, [this] { closeWindow(this); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(apparent);
  buttons->addWidget(trueButton);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
}

QLineEdit* WindCalculatorWindow::box(const char* name) const { return m_boxes.at(QLatin1String(name)); }

void WindCalculatorWindow::toApparent() {
  const auto read = [this](const char* n) { return static_cast<float>(parseLocaleNumber(box(n)->text())); };
  const WindVector w = apparentFromTrue(read("h"), read("s"), {read("wht"), read("wst")});
  box("wha")->setText(formatNumber(w.directionDeg, u"##0"));
  box("wsa")->setText(formatNumber(w.speedKn, u"#0.0"));
  m_forceApparent->setText(QString::number(Beaufort(w.speedKn)));
  m_forceTrue->setText(QString::number(Beaufort(read("wst"))));
}

void WindCalculatorWindow::toTrue() {
  const auto read = [this](const char* n) { return static_cast<float>(parseLocaleNumber(box(n)->text())); };
  const WindVector w = trueFromApparent(read("h"), read("s"), {read("wha"), read("wsa")});
  box("wht")->setText(formatNumber(w.directionDeg, u"##0"));
  box("wst")->setText(formatNumber(w.speedKn, u"#0.0"));
  m_forceTrue->setText(QString::number(Beaufort(w.speedKn)));
  m_forceApparent->setText(QString::number(Beaufort(read("wsa"))));
}

DeviationWindow::DeviationWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsdev"));
  setWindowTitle(tr("Deviation"));
  auto* grid = new QGridLayout;
  for (int i = 0; i < 16; ++i) {
    auto* e = new QLineEdit(formatNumber(app.settings.compass.DeviationTable[static_cast<size_t>(i)], u"#0.0") +
                                QStringLiteral("°"),
                            this);
    e->setObjectName(QStringLiteral("Text1_%1").arg(i));
    e->setMaximumWidth(80);
    m_boxes[static_cast<size_t>(i)] = e;
    const int row = i % 8, column = (i / 8) * 2;
    grid->addWidget(new QLabel(formatNumber(i * 22.5, u"0.0") + QStringLiteral("°"), this), row, column);
    grid->addWidget(e, row, column + 1);
  }
  QLayout* buttons = okCancelRow(this, "Command1", "Command2", [this] { accept(); });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
}

bool DeviationWindow::accept() {
  std::array<QString, 16> texts;
  for (size_t i = 0; i < 16; ++i) texts[i] = m_boxes[i]->text();
  std::array<float, 16> table{};
  const int refused = checkDeviationEntries(texts, &table);
  if (refused >= 0) {
    m_boxes[static_cast<size_t>(refused)]->setFocus();
    m_boxes[static_cast<size_t>(refused)]->selectAll();
    return false;
  }
  m_app.settings.compass.DeviationTable = table;
  m_app.saveSettings();
  closeWindow(this);
  return true;
}

void registerInstrumentWindows(App& app) {
  app.windows.add(QStringLiteral("gpsinstr"), [](App& a) { return new InstrumentsWindow(a); });
  app.windows.add(QStringLiteral("gpsswind"), [](App& a) { return new WindDisplayWindow(a); });
  app.windows.add(QStringLiteral("gpswind"), [](App& a) { return new WindCalculatorWindow(a); });
  app.windows.add(QStringLiteral("gpsdev"), [](App& a) { return new DeviationWindow(a); });
}

}  // namespace tavrik
