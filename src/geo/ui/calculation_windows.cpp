#include "geo/ui/calculation_windows.h"

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/app.h"
#include "core/messages.h"
#include "core/number_format.h"
#include "core/ui/main_window.h"
#include "geo/datum.h"
#include "geo/grid_notation.h"
#include "geo/ui/position_control.h"

namespace tavrik {

PositionControl* makePositionControl(App& app, const QString& objectName, QWidget* parent) {
  auto* c = new PositionControl(parent);
  c->setObjectName(objectName);
  c->setSoundPlayer(&app.sound);
  c->setGrid(app.settings.system.grid >= 0 && app.settings.system.grid < kGridCount ? app.settings.system.grid : 1);
  c->setDecimals(app.settings.decimals());
  return c;
}

namespace {

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QLatin1String(name));
  return b;
}

QLineEdit* box(const char* name, QWidget* parent, int chars = 8) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QLatin1String(name));
  e->setFixedWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 14);
  e->setAlignment(Qt::AlignRight);
  return e;
}

}  // namespace

// ---- Mercator calculations ----------------------------------------------------------

MercatorCalcWindow::MercatorCalcWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setWindowTitle(tr("Mercator calculations"));
  m_pos1 = makePositionControl(app, QStringLiteral("Position1"), this);
  m_pos2 = makePositionControl(app, QStringLiteral("Position2"), this);
  m_wplist1 = new QComboBox(this);
  m_wplist1->setObjectName(QStringLiteral("wplist1"));
  m_wplist2 = new QComboBox(this);
  m_wplist2->setObjectName(QStringLiteral("wplist2"));
  for (QComboBox* c : {m_wplist1, m_wplist2}) {
    c->setMinimumContentsLength(18);
    c->setPlaceholderText(tr("Waypoint"));
  }
  m_course = box("course", this, 6);
  m_courseM = box("course_m", this, 6);
  m_distance = box("distance", this, 8);

  auto* layout = new QVBoxLayout(this);
  auto point = [&](const QString& title, PositionControl* pos, QComboBox* list) {
    auto* g = new QGroupBox(title, this);
    auto* l = new QVBoxLayout(g);
    l->addWidget(pos);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("Waypoint"), g));
    row->addWidget(list, 1);
    l->addLayout(row);
    layout->addWidget(g);
  };
  point(tr("From"), m_pos1, m_wplist1);
  point(tr("To"), m_pos2, m_wplist2);

  auto* form = new QGridLayout;
  form->addWidget(new QLabel(tr("Course"), this), 0, 0);
  form->addWidget(m_course, 0, 1);
  form->addWidget(new QLabel(QStringLiteral("° T"), this), 0, 2);
  form->addWidget(m_courseM, 0, 3);
  form->addWidget(new QLabel(QStringLiteral("° M"), this), 0, 4);
  form->addWidget(new QLabel(tr("Distance"), this), 1, 0);
  form->addWidget(m_distance, 1, 1);
  form->addWidget(new QLabel(app.settings.units.distanceLabel(), this), 1, 2);
  form->setColumnStretch(5, 1);
  layout->addLayout(form);

  auto* buttons = new QHBoxLayout;
  QPushButton* cd = button(tr("&Course/Dist"), "Command1", this);
  QPushButton* end = button(tr("End &position"), "Command2", this);
  buttons->addWidget(cd);
  buttons->addWidget(end);
  if (app.windows.has(QStringLiteral("gpsmark"))) {
    QPushButton* add = button(tr("Add &waypoint"), "Command3", this);
    buttons->addWidget(add);
    connect(add, &QPushButton::clicked, this, [this] {
      if (QWidget* mark = m_app.windows.open ? m_app.windows.open(QStringLiteral("gpsmark")) : nullptr) {
        mark->setProperty("latitude", m_pos2->latitude());
        mark->setProperty("longitude", m_pos2->longitude());
        connect(mark, &QObject::destroyed, this, [this] { loadWaypoints(); });
      }
    });
  }
  buttons->addStretch(1);
  layout->addLayout(buttons);
  layout->addStretch(1);

  connect(cd, &QPushButton::clicked, this, [this] { courseDistance(); });
  connect(end, &QPushButton::clicked, this, [this] { endPosition(); });
  // textEdited fires for the user's typing only, so the echo cannot feed back.
  connect(m_course, &QLineEdit::textEdited, this, [this] { courseEdited(false); });
  connect(m_courseM, &QLineEdit::textEdited, this, [this] { courseEdited(true); });
  connect(m_wplist1, &QComboBox::activated, this, [this] { chooseWaypoint(m_wplist1, m_pos1); });
  connect(m_wplist2, &QComboBox::activated, this, [this] { chooseWaypoint(m_wplist2, m_pos2); });
  m_pos1->setPosition(app.nav.Latitude, app.nav.Longitude);
  m_pos2->setPosition(app.nav.Latitude, app.nav.Longitude);
  loadWaypoints();
}

void MercatorCalcWindow::loadWaypoints() {
  for (QComboBox* c : {m_wplist1, m_wplist2}) c->clear();
  if (!m_app.db.isOpen()) return;
  auto rs = m_app.db.openRecordset(QStringLiteral("SELECT * FROM Waypoints ORDER BY description"));
  if (!rs) return;
  for (; !rs->eof(); rs->moveNext()) {
    const QString d = rs->text(QStringLiteral("description"));
    const qint64 id = rs->integer(QStringLiteral("Waypoint"));
    m_wplist1->addItem(d, id);
    m_wplist2->addItem(d, id);
  }
  m_wplist1->setCurrentIndex(-1);
  m_wplist2->setCurrentIndex(-1);
}

void MercatorCalcWindow::chooseWaypoint(QComboBox* list, PositionControl* control) {
  if (list->currentIndex() < 0 || !m_app.db.isOpen()) return;
  auto rs = m_app.db.openRecordset(QStringLiteral("SELECT * FROM Waypoints WHERE Waypoint = ") +
                                   QString::number(list->currentData().toLongLong()));
  if (!rs || rs->eof()) return;
  control->setPosition(rs->number(QStringLiteral("latitude")), rs->number(QStringLiteral("longitude")));
}

void MercatorCalcWindow::courseEdited(bool magnetic) {
  const float v = static_cast<float>(parseLocaleNumber(magnetic ? m_courseM->text() : m_course->text()));
  const Compass& c = m_app.settings.compass;
  const float var = m_app.nav.GpsVariation;
  if (magnetic) m_course->setText(formatNumber(c.ToTrue(v, var), u"#0.0"));
  else m_courseM->setText(formatNumber(c.ToMagnetic(v, var), u"#0.0"));
}

void MercatorCalcWindow::courseDistance() {
  CalcRecord r;
  r.Lat1 = m_pos1->latitude();
  r.Lon1 = m_pos1->longitude();
  r.Lat2 = m_pos2->latitude();
  r.Lon2 = m_pos2->longitude();
  RhumbCourseDistance(r);
  m_course->setText(formatNumber(r.Course, u"#0.0"));
  courseEdited(false);
  m_distance->setText(formatNumber(r.Distance * m_app.settings.units.UnitFactor, u"#0.0"));
}

void MercatorCalcWindow::endPosition() {
  const double course = parseLocaleNumber(m_course->text());
  if (course >= 360) {
    m_app.prompter.exclamation(MessageText(Msg::CourseLess360));
    return;
  }
  CalcRecord r;
  r.Lat1 = m_pos1->latitude();
  r.Lon1 = m_pos1->longitude();
  r.Course = course;
  r.Distance = parseLocaleNumber(m_distance->text()) / m_app.settings.units.UnitFactor;
  DeadReckoning(r);
  if (!std::isfinite(r.Lat2) || !std::isfinite(r.Lon2) || std::fabs(r.Lat2) > 90) {
    m_app.sound.beep();  // a distance that runs past the pole has no end position
    return;
  }
  m_pos2->setPosition(r.Lat2, r.Lon2);
  m_wplist2->setCurrentIndex(-1);
}

// ---- Great circle calculations ------------------------------------------------------

GreatCircleWindow::GreatCircleWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setWindowTitle(tr("Great circle calculations"));
  m_pos1 = makePositionControl(app, QStringLiteral("Position1"), this);
  m_pos2 = makePositionControl(app, QStringLiteral("Position2"), this);
  m_pos3 = makePositionControl(app, QStringLiteral("Position3"), this);
  m_pos3->setDisplay(true);
  m_pos3->hide();
  m_interval = box("dr", this, 6);
  m_courseLabel = new QLabel(this);
  m_courseLabel->setObjectName(QStringLiteral("Label1"));
  m_courseMLabel = new QLabel(this);
  m_courseMLabel->setObjectName(QStringLiteral("Label2"));
  m_distanceLabel = new QLabel(this);
  m_distanceLabel->setObjectName(QStringLiteral("Label3"));
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("List1"));
  // Room for the results before there are any, so the window opens wide enough.
  for (QLabel* l : {m_courseLabel, m_courseMLabel, m_distanceLabel}) {
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("00000.0")));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }

  auto* layout = new QVBoxLayout(this);
  for (auto [title, pos] : {std::pair{tr("From"), m_pos1}, std::pair{tr("To"), m_pos2}}) {
    auto* g = new QGroupBox(title, this);
    (new QVBoxLayout(g))->addWidget(pos);
    layout->addWidget(g);
  }
  const QString unit = app.settings.units.distanceLabel();
  auto* form = new QGridLayout;
  form->addWidget(new QLabel(tr("Route point every"), this), 0, 0);
  form->addWidget(m_interval, 0, 1);
  form->addWidget(new QLabel(unit, this), 0, 2);
  form->addWidget(new QLabel(tr("Initial course"), this), 1, 0);
  form->addWidget(m_courseLabel, 1, 1);
  form->addWidget(new QLabel(QStringLiteral("° T"), this), 1, 2);
  form->addWidget(m_courseMLabel, 1, 3);
  form->addWidget(new QLabel(QStringLiteral("° M"), this), 1, 4);
  form->addWidget(new QLabel(tr("Distance"), this), 2, 0);
  form->addWidget(m_distanceLabel, 2, 1);
  form->addWidget(new QLabel(unit, this), 2, 2);
  form->setColumnStretch(5, 1);
  layout->addLayout(form);
  QPushButton* calc = button(tr("&Calculate"), "Command1", this);
  auto* row = new QHBoxLayout;
  row->addWidget(calc);
  if (app.edit.saveDrawn) {
    QPushButton* create = button(tr("Create &route"), "Command2", this);
    row->addWidget(create);
    connect(create, &QPushButton::clicked, this, [this] { createRoute(); });
  }
  row->addStretch(1);
  layout->addLayout(row);
  layout->addWidget(m_list, 1);
  connect(calc, &QPushButton::clicked, this, [this] { calculate(); });
  m_pos1->setPosition(app.nav.Latitude, app.nav.Longitude);
  m_pos2->setPosition(app.nav.Latitude, app.nav.Longitude);
  resize(420, 520);
}

void GreatCircleWindow::calculate() {
  const double interval = parseLocaleNumber(m_interval->text());
  if (interval == 0) {
    m_app.prompter.exclamation(MessageText(Msg::IntervalZero));
    m_interval->setFocus();
    return;
  }
  const double unitFactor = m_app.settings.units.UnitFactor;
  CalcRecord r;
  r.Lat1 = m_pos1->latitude();
  r.Lon1 = m_pos1->longitude();
  r.Lat2 = m_pos2->latitude();
  r.Lon2 = m_pos2->longitude();
  GreatCircle(r);
  m_courseLabel->setText(formatNumber(r.Course, u"#0.0"));
  m_courseMLabel->setText(
      formatNumber(m_app.settings.compass.ToMagnetic(static_cast<float>(r.Course), m_app.nav.GpsVariation), u"#0.0"));
  m_distanceLabel->setText(formatNumber(r.Distance * unitFactor, u"#0.0"));
  m_list->clear();
  m_points = GreatCircleRoutePoints(r.Lat1, r.Lon1, r.Lat2, r.Lon2, interval, unitFactor);
  for (const LatLon& p : m_points) {
    m_pos3->setPosition(p.lat, p.lon);
    m_list->addItem(m_pos3->position());
  }
}

void GreatCircleWindow::createRoute() {
  if (m_points.empty()) {
    m_app.prompter.information(MessageText(Msg::NoWaypoints));
    return;
  }
  m_app.edit.drawnPoints.clear();
  for (const LatLon& p : m_points) m_app.edit.drawnPoints.emplace_back(p.lat, p.lon);
  m_app.edit.saveDrawn(true, this, [this] { m_app.edit.drawnPoints.clear(); });
}

}  // namespace tavrik
