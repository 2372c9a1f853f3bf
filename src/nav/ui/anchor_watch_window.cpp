#include "nav/ui/anchor_watch_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/app.h"
#include "geo/ui/calculation_windows.h"
#include "geo/ui/position_control.h"

namespace tavrik {

AnchorPlot::AnchorPlot(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("plot"));
  setMinimumSize(160, 160);
}

void AnchorPlot::setWatch(double rangeNm, double bearingDeg, double distanceNm, bool alarm) {
  m_range = rangeNm;
  m_bearing = bearingDeg;
  m_distance = distanceNm;
  m_alarm = alarm;
  m_hasVessel = true;
  update();
}

void AnchorPlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), QColor(0xe8, 0xf0, 0xf8));
  const QPointF centre = QRectF(rect()).center();
  const double half = std::min(width(), height()) / 2.0 - 12;
  // The larger of range and distance fills four fifths of the plot.
  const double extent = std::max({m_range, m_hasVessel ? m_distance : 0.0, 1e-6});
  const double scale = 0.8 * half / extent;
  p.setPen(QPen(QColor(0x90, 0xa0, 0xb0), 1, Qt::DotLine));
  p.drawLine(QPointF(centre.x(), centre.y() - half), QPointF(centre.x(), centre.y() + half));
  p.drawLine(QPointF(centre.x() - half, centre.y()), QPointF(centre.x() + half, centre.y()));
  p.drawText(QPointF(centre.x() + 3, centre.y() - half + 10), QStringLiteral("N"));
  if (m_range > 0) {
    p.setPen(QPen(m_alarm ? QColor(0xd0, 0x10, 0x10) : QColor(0x10, 0x60, 0xc0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, m_range * scale, m_range * scale);
  }
  // The anchor.
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(centre + QPointF(-5, 0), centre + QPointF(5, 0));
  p.drawLine(centre + QPointF(0, -6), centre + QPointF(0, 6));
  if (!m_hasVessel) return;
  // The vessel lies at the reverse of her bearing to the anchor.
  const double a = (m_bearing + 180) * 3.14159265358979323846 / 180;
  const QPointF vessel = centre + QPointF(std::sin(a), -std::cos(a)) * (m_distance * scale);
  p.setPen(QPen(Qt::black, 1, Qt::DashLine));
  p.drawLine(centre, vessel);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(m_alarm ? QColor(0xd0, 0x10, 0x10) : QColor(0x20, 0xa0, 0x40));
  p.drawEllipse(vessel, 5, 5);
}

AnchorWatchWindow::AnchorWatchWindow(App& app, QWidget* parent)
    : QWidget(parent), m_app(app), m_watch(app.nav, app.settings, app.alarms) {
  setObjectName(QLatin1String(AnchorWatch::kWindow));
  setWindowTitle(QStringLiteral("Anchor watch"));
  m_watch.dropAnchor();
  m_anchor = makePositionControl(app, QStringLiteral("Position1"), this);
  m_anchor->setDisplay(true);
  m_anchor->setLocked(true);
  m_anchor->setPosCaption(QString());
  m_anchor->setPosition(m_watch.anchorLat(), m_watch.anchorLon());

  m_range = new QLineEdit(m_watch.rangeText(), this);
  m_range->setObjectName(QStringLiteral("range"));
  m_range->setMaximumWidth(90);
  auto* unit = new QLabel(app.settings.units.distanceLabel(), this);
  unit->setObjectName(QStringLiteral("distlabel"));
  m_alarm = new QCheckBox(QStringLiteral("&Alarm"), this);
  m_alarm->setObjectName(QStringLiteral("alarm"));
  m_alarm->setChecked(true);
  m_ok = new QPushButton(QStringLiteral("OK"), this);
  m_ok->setObjectName(QStringLiteral("ok"));
  m_ok->setDefault(true);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setObjectName(QStringLiteral("cancel"));
  connect(m_ok, &QPushButton::clicked, this, [this] { start(); });
  connect(m_range, &QLineEdit::returnPressed, this, [this] { start(); });
  connect(close, &QPushButton::clicked, this, [this] { this->close(); });

  m_bearing = new QLabel(this);
  m_bearing->setObjectName(QStringLiteral("bearing"));
  m_bearingM = new QLabel(this);
  m_bearingM->setObjectName(QStringLiteral("bearing_m"));
  m_distance = new QLabel(this);
  m_distance->setObjectName(QStringLiteral("distance"));
  m_plot = new AnchorPlot(this);
  m_plot->setRange(m_watch.rangeNm());

  auto* rangeRow = new QHBoxLayout;
  rangeRow->addWidget(m_range);
  rangeRow->addWidget(unit);
  rangeRow->addStretch();
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Anchor"), m_anchor);
  form->addRow(QStringLiteral("Range"), rangeRow);
  form->addRow(QString(), m_alarm);
  form->addRow(QStringLiteral("Bearing to anchor"), m_bearing);
  form->addRow(QString(), m_bearingM);
  form->addRow(QStringLiteral("Distance"), m_distance);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_ok);
  buttons->addWidget(close);
  auto* left = new QVBoxLayout;
  left->addLayout(form);
  left->addStretch();
  left->addLayout(buttons);
  auto* top = new QHBoxLayout(this);
  top->addLayout(left);
  top->addWidget(m_plot, 1);

  m_timer = new QTimer(this);
  m_timer->setObjectName(QStringLiteral("Timer1"));
  m_timer->setInterval(1000);
  connect(m_timer, &QTimer::timeout, this, [this] { tick(); });
}

AnchorWatchWindow::~AnchorWatchWindow() { m_watch.stop(); }

void AnchorWatchWindow::closeEvent(QCloseEvent* e) {
  m_timer->stop();
  m_watch.stop();
  QWidget::closeEvent(e);
}

void AnchorWatchWindow::start() {
  if (m_watch.watching()) return;
  m_range->setText(m_watch.start(m_range->text(), m_app.prompter));
  if (!m_watch.watching()) return;
  m_ok->setEnabled(false);
  m_range->setEnabled(false);
  m_timer->start();
  tick();
}

void AnchorWatchWindow::tick() {
  const AnchorWatch::Reading r = m_watch.tick(m_alarm->isChecked());
  m_bearing->setText(r.to.bearingTText);
  m_bearingM->setText(r.to.bearingMText);
  m_distance->setText(r.distanceText);
  m_plot->setWatch(m_watch.rangeNm(), r.to.bearingT, r.to.distanceNm, r.alarm);
}

QString AnchorWatchWindow::bearingText() const { return m_bearing->text(); }
QString AnchorWatchWindow::bearingMText() const { return m_bearingM->text(); }
QString AnchorWatchWindow::distanceText() const { return m_distance->text(); }

}  // namespace tavrik
