#include "nav/ui/mob_window.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app.h"
#include "geo/ui/calculation_windows.h"
#include "geo/ui/position_control.h"

namespace tavrik {

MobWindow::MobWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsmob"));
  setWindowTitle(QStringLiteral("MOB"));
  app.mob.start(app.nav);
  app.requests.redrawGotoLine = true;  // the chart draws the MOB line

  m_position = makePositionControl(app, QStringLiteral("Position1"), this);
  m_position->setDisplay(true);
  m_position->setLocked(true);
  m_position->setPosCaption(QString());
  m_position->setPosition(app.mob.MobLat, app.mob.MobLon);
  app.logbook.RaiseLogEntry({QStringLiteral("MOB"),
                             degreesMinutesText(app.mob.MobLat, app.mob.MobLon, app.settings.decimals()),
                             app.mob.MobLat, app.mob.MobLon, {}, false});
  const auto value = [this](const char* name) {
    auto* l = new QLabel(this);
    l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() * 1.6);
    f.setBold(true);
    l->setFont(f);
    return l;
  };
  m_bearing = value("bearing");
  m_bearingM = value("bearing_m");
  m_distance = value("distance");
  m_vmg = value("vmg");
  m_ete = value("ete");
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setObjectName(QStringLiteral("cancel"));
  connect(close, &QPushButton::clicked, this, [this] { this->close(); });

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("MOB position"), m_position);
  form->addRow(QStringLiteral("Bearing"), m_bearing);
  form->addRow(QString(), m_bearingM);
  form->addRow(QStringLiteral("Distance"), m_distance);
  form->addRow(QStringLiteral("VMG"), m_vmg);
  form->addRow(QStringLiteral("Time to go"), m_ete);
  auto* top = new QVBoxLayout(this);
  top->addLayout(form);
  top->addStretch();
  top->addWidget(close, 0, Qt::AlignRight);

  m_timer = new QTimer(this);
  m_timer->setObjectName(QStringLiteral("Timer1"));
  m_timer->setInterval(1000);
  connect(m_timer, &QTimer::timeout, this, [this] { tick(); });
  m_timer->start();
  tick();
}

MobWindow::~MobWindow() {
  m_app.mob.clear();
  m_app.requests.redrawGotoLine = true;
}

void MobWindow::closeEvent(QCloseEvent* e) {
  m_timer->stop();
  m_app.mob.clear();
  m_app.requests.redrawGotoLine = true;
  QWidget::closeEvent(e);
}

void MobWindow::tick() {
  m_reading = m_app.mob.tick(m_app.nav, m_app.settings);
  m_bearing->setText(m_reading.to.bearingTText);
  m_bearingM->setText(m_reading.to.bearingMText);
  m_distance->setText(m_reading.distanceText);
  m_vmg->setText(m_reading.vmgText);
  m_ete->setText(m_reading.eteText);
}

}  // namespace tavrik
