#include "nav/ui/goto_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"
#include "core/ui/main_window.h"
#include "geo/ui/position_control.h"
#include "nav/ui/autopilot_window.h"
#include "nav/route_points.h"
#include "nav/ui/goto_setup_window.h"
#include "nav/ui/route_window.h"
#include "nav/ui/waypoint_upload_window.h"
#include "store/database.h"

namespace tavrik {
namespace {

// All waypoints by description, when no route is followed.
std::vector<GotoTarget> loadTargets(Database& db) {
  std::vector<GotoTarget> list;
  if (!db.isOpen()) return list;
  auto rs = db.openRecordset(QStringLiteral("SELECT * FROM Waypoints OrdER BY description"));
  for (; rs && !rs->eof(); rs->moveNext())
    list.push_back({static_cast<int>(rs->integer(QStringLiteral("Waypoint"))), rs->text(QStringLiteral("description")),
                    rs->number(QStringLiteral("latitude")), rs->number(QStringLiteral("longitude")),
                    rs->flag(QStringLiteral("approachable"))});
  return list;
}

}  // namespace

SteerPictureWidget::SteerPictureWidget(QWidget* parent) : QWidget(parent) { setFixedSize(64, 64); }

void SteerPictureWidget::setPicture(SteerPicture p) {
  if (p == m_picture) return;
  m_picture = p;
  update();
}

void SteerPictureWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), palette().base());
  if (m_picture == SteerPicture::None) return;
  p.setPen(QPen(palette().text().color(), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QPainterPath path;
  QPointF tip;
  double headingDeg = 0;  // of the arrow head, 0 up, clockwise
  switch (m_picture) {
    case SteerPicture::Straight:
      path.moveTo(32, 56);
      path.lineTo(32, 12);
      tip = {32, 12};
      break;
    case SteerPicture::Right:
      path.moveTo(22, 56);
      path.cubicTo(22, 24, 30, 18, 52, 18);
      tip = {52, 18};
      headingDeg = 90;
      break;
    case SteerPicture::Left:
      path.moveTo(42, 56);
      path.cubicTo(42, 24, 34, 18, 12, 18);
      tip = {12, 18};
      headingDeg = -90;
      break;
    case SteerPicture::Reverse:
      path.moveTo(44, 56);
      path.lineTo(44, 24);
      path.arcTo(20, 12, 24, 24, 0, 180);
      path.lineTo(20, 48);
      tip = {20, 48};
      headingDeg = 180;
      break;
    case SteerPicture::None:
      break;
  }
  p.drawPath(path);
  p.translate(tip);
  p.rotate(headingDeg);
  p.drawLine(QPointF(0, 0), QPointF(-8, 10));
  p.drawLine(QPointF(0, 0), QPointF(8, 10));
}

LampBarWidget::LampBarWidget(QWidget* parent) : QWidget(parent) { setMinimumSize(10 * 18, 22); }

void LampBarWidget::setLamps(std::bitset<10> lamps) {
  if (lamps == m_lamps) return;
  m_lamps = lamps;
  update();
}

void LampBarWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const double step = width() / 10.0, d = std::min(step, static_cast<double>(height())) - 6;
  for (int k = 0; k < 10; ++k) {
    const QColor on = k < 5 ? QColor(220, 30, 30) : QColor(20, 170, 40);
    p.setPen(QPen(on.darker(160), 1));
    p.setBrush(m_lamps[k] ? on : QColor(on.red() / 5 + 60, on.green() / 5 + 60, on.blue() / 5 + 60));
    p.drawEllipse(QRectF(k * step + (step - d) / 2, (height() - d) / 2, d, d));
  }
}

GotoWindow::GotoWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsgoto"));
  m_caption = QStringLiteral("Go To");
  setWindowTitle(m_caption);
  auto* grid = new QGridLayout(this);
  m_list = new QComboBox(this);
  m_list->setObjectName(QStringLiteral("wplist"));
  m_list->setMinimumWidth(220);
  grid->addWidget(new QLabel(QStringLiteral("Waypoint"), this), 0, 0);
  grid->addWidget(m_list, 0, 1, 1, 3);
  m_position = new PositionControl(this);
  m_position->setObjectName(QStringLiteral("Position1"));
  m_position->setSoundPlayer(&app.sound);
  m_position->setGrid(app.settings.system.grid);
  grid->addWidget(m_position, 1, 0, 1, 4);

  int row = 2;
  auto value = [&](const char* name, const QString& caption) {
    auto* l = new QLabel(this);
    l->setObjectName(QLatin1String(name));
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(90);
    grid->addWidget(new QLabel(caption, this), row, 0);
    grid->addWidget(l, row++, 1);
    return l;
  };
  m_bearing = value("bearing", QStringLiteral("Course"));
  m_bearingM = value("bearing_m", QStringLiteral("Magnetic"));
  m_distance = value("distance", QStringLiteral("Distance"));
  m_vmg = value("vmg", QStringLiteral("VMG"));
  m_ete = value("ete", QStringLiteral("Time to go"));
  m_xte = value("xte", QStringLiteral("Cross-track"));
  m_picture = new SteerPictureWidget(this);
  m_picture->setObjectName(QStringLiteral("steer"));
  grid->addWidget(m_picture, 2, 2, 4, 2, Qt::AlignCenter);
  m_lamps = new LampBarWidget(this);
  m_lamps->setObjectName(QStringLiteral("Label2"));
  grid->addWidget(m_lamps, row++, 0, 1, 4);

  auto* buttons = new QHBoxLayout;
  m_ok = new QPushButton(QStringLiteral("Go To"), this);
  m_ok->setObjectName(QStringLiteral("ok"));
  m_next = new QPushButton(QStringLiteral("&Next"), this);
  m_next->setObjectName(QStringLiteral("cnext"));
  m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  m_cancel->setObjectName(QStringLiteral("cancel"));
  buttons->addWidget(m_ok);
  buttons->addWidget(m_next);
  buttons->addStretch();
  buttons->addWidget(m_cancel);
  grid->addLayout(buttons, row, 0, 1, 4);

  m_timer1 = new QTimer(this);
  m_timer1->setObjectName(QStringLiteral("Timer1"));
  m_timer1->setInterval(2000);
  connect(m_timer1, &QTimer::timeout, this, [this] { tick(); });

  connect(m_list, &QComboBox::activated, this, [this](int index) { chooseEntry(index); });
  connect(m_position, &PositionControl::positionEdited, this,
          [this](double lat, double lon) { controller().setEntryPosition(lat, lon); });
  connect(m_ok, &QPushButton::clicked, this, [this] {
    controller().ok();
    refresh();
  });
  connect(m_next, &QPushButton::clicked, this, [this] {
    controller().next();
    refresh();
  });
  connect(m_cancel, &QPushButton::clicked, this, [this] {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->close();
    else close();
  });

  GotoController& go = controller();
  go.alarmSink = this;
  // A route chosen in the route window is followed point by point.
  const int route = m_app.steering.selectedRoute;
  const std::vector<GotoTarget> targets = route ? loadRoutePoints(m_app.db, route) : loadTargets(m_app.db);
  for (const GotoTarget& t : targets) m_list->addItem(t.description, t.waypoint);
  go.open(targets, route != 0);
  refresh();
}

GotoWindow::~GotoWindow() {
  GotoController& go = controller();
  if (go.alarmSink == this) {
    go.alarmSink = nullptr;
    go.close();
  }
}

GotoController& GotoWindow::controller() { return m_app.steering.go; }

void GotoWindow::closeEvent(QCloseEvent* event) {
  controller().close();
  controller().alarmSink = nullptr;
  m_timer1->stop();
  stop();
  event->accept();
}

void GotoWindow::chooseEntry(int index) {
  if (controller().running()) return;
  if (const int msg = controller().choose(index)) {
    m_app.prompter.information(MessageText(msg));
    m_list->setCurrentIndex(controller().selectedIndex());
  }
  refresh();
}

void GotoWindow::tick() {
  GotoController& go = controller();
  go.tick();
  refresh();
  // The sentences leave after the window events that are waiting, not inside the tick.
  QTimer::singleShot(0, this, [this] { controller().flush(m_app.steering.ports); });
}

void GotoWindow::refresh() {
  const GotoController& go = controller();
  m_list->setCurrentIndex(go.selectedIndex());
  m_list->setEnabled(!go.running());
  m_position->setPosition(go.running() ? go.state().TargetLat : go.entryLat(),
                          go.running() ? go.state().TargetLon : go.entryLon());
  m_position->setLocked(go.running());
  m_ok->setVisible(go.okMode() != OkMode::Hidden);
  m_ok->setText(go.okMode() == OkMode::Previous ? QStringLiteral("&Previous") : QStringLiteral("Go To"));
  m_next->setVisible(go.nextEnabled());
  if (go.running() && !m_timer1->isActive()) m_timer1->start();
  const GotoReadout& r = go.readout();
  m_bearing->setText(r.bearingTrue);
  m_bearingM->setText(r.bearingMagnetic);
  m_distance->setText(r.distance);
  m_vmg->setText(r.vmg);
  m_ete->setText(r.ete);
  m_xte->setText(r.xte);
  m_picture->setPicture(r.picture);
  m_lamps->setLamps(r.lamps);
}

void GotoWindow::raise() {
  // The shared signalling shows this window without the focus, flashes the title
  // every 200 ms and plays the approach sound every 5 s (or beeps).
  m_app.alarms.SignalAlarm(objectName(), m_app.settings.SoundApproach, {200, 5000});
  setWindowTitle(MessageText(Msg::Approaching));
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->setWindowTitle(windowTitle());
}

void GotoWindow::stop() {
  m_app.alarms.stop(objectName());
  setWindowTitle(m_caption);
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->setWindowTitle(m_caption);
}

void installSteering(App& app, MainWindow& window) {
  app.windows.add(QStringLiteral("gpsgoto"), [](App& a) { return new GotoWindow(a); });
  app.windows.add(QStringLiteral("gpscauto"), [](App& a) { return new GotoSetupWindow(a); });
  app.windows.add(QStringLiteral("gpsrout"), [](App& a) { return new RouteWindow(a); });
  app.windows.add(QStringLiteral("gpsauto"), [](App& a) { return new AutopilotWindow(a); });
  app.windows.add(QStringLiteral("gpsuwps"), [](App& a) { return new WaypointUploadWindow(a); });
  app.windows.add(QStringLiteral("gpswpl"), [](App& a) { return new WplSetupWindow(a); });
  QMenu* menu = window.ensureMenu(QStringLiteral("m_nav"), QStringLiteral("&Navigation"));
  QAction* go = menu->addAction(QStringLiteral("&Go To"));
  go->setObjectName(QStringLiteral("n_goto"));
  QObject::connect(go, &QAction::triggered, &window, [&window] { window.openWindow(QStringLiteral("gpsgoto")); });
  QAction* setup = menu->addAction(QStringLiteral("Go To &setup..."));
  setup->setObjectName(QStringLiteral("n_gotosetup"));
  QObject::connect(setup, &QAction::triggered, &window, [&window] { window.openWindow(QStringLiteral("gpscauto")); });
  menu->addSeparator();
  const std::pair<const char*, const char*> more[] = {{"n_route", "&Routes..."},
                                                     {"n_autopilot", "&Autopilot..."},
                                                     {"n_upload", "&Upload waypoints..."},
                                                     {"n_wplsetup", "Upload se&t-up..."}};
  const char* windows[] = {"gpsrout", "gpsauto", "gpsuwps", "gpswpl"};
  for (int i = 0; i < 4; ++i) {
    QAction* a = menu->addAction(QLatin1String(more[i].second));
    a->setObjectName(QLatin1String(more[i].first));
    const QString name = QLatin1String(windows[i]);
    QObject::connect(a, &QAction::triggered, &window, [&window, name] { window.openWindow(name); });
  }
  // The go-to entry rests while a go-to runs.
  QObject::connect(menu, &QMenu::aboutToShow, go, [go, &app] { go->setEnabled(!app.steering.go.running()); });
  // A go-to request (the chart's "&Go to mouse position") reopens the window, which
  // takes the position as its target.
  app.cycle.hooks.gotoRequest = [&window] {
    if (QWidget* open = window.findWindow(QStringLiteral("gpsgoto"))) {
      if (auto* sub = qobject_cast<QMdiSubWindow*>(open->parentWidget())) sub->close();
      else open->close();
      delete open;
    }
    window.openWindow(QStringLiteral("gpsgoto"));
  };
}

}  // namespace tavrik
