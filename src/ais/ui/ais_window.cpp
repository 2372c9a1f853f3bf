#include "ais/ui/ais_window.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

#include "ais/ais_layer.h"
#include "app/app.h"
#include "core/number_format.h"
#include "core/ui/main_window.h"

namespace tavrik {
namespace {

const QString kSection = QStringLiteral("AIS");

qint64 nowMs(const App& app) { return app.clock.now().toMSecsSinceEpoch(); }

QString number(double v, int decimals) { return v < 0 ? QString() : QString::number(v, 'f', decimals); }

QString ageText(double seconds) {
  const int s = static_cast<int>(seconds);
  return s < 60 ? QStringLiteral("%1 s").arg(s) : QStringLiteral("%1 min").arg(s / 60);
}

}  // namespace

AisAlarmLimits readAisLimits(const App& app, bool* alarmOn) {
  AisAlarmLimits l;
  l.cpaNm = app.ini.getDouble(kSection, QStringLiteral("CpaLimit"), l.cpaNm);
  l.tcpaMinutes = app.ini.getDouble(kSection, QStringLiteral("TcpaLimit"), l.tcpaMinutes);
  if (alarmOn) *alarmOn = app.ini.getBool(kSection, QStringLiteral("CpaAlarm"), true);
  return l;
}

AisTargetWindow::AisTargetWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsais"));
  setWindowTitle(QStringLiteral("AIS targets"));
  auto* layout = new QVBoxLayout(this);
  m_table = new QTableWidget(0, 13, this);
  m_table->setObjectName(QStringLiteral("targets"));
  m_table->setHorizontalHeaderLabels({"Name", "MMSI", "Call sign", "Type", "Size (m)", "Range (nm)", "Bearing",
                                      "Course", "Speed (kn)", "Heading", "CPA (nm)", "TCPA (min)", "Age"});
  m_table->verticalHeader()->hide();
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  layout->addWidget(m_table);

  bool alarmOn = true;
  const AisAlarmLimits limits = readAisLimits(app, &alarmOn);
  auto* row = new QHBoxLayout;
  m_alarm = new QCheckBox(QStringLiteral("CPA &alarm"), this);
  m_alarm->setObjectName(QStringLiteral("alarm"));
  m_alarm->setChecked(alarmOn);
  m_cpa = new QDoubleSpinBox(this);
  m_cpa->setObjectName(QStringLiteral("cpalimit"));
  m_cpa->setRange(0.05, 10), m_cpa->setDecimals(2), m_cpa->setSingleStep(0.1), m_cpa->setSuffix(" nm");
  m_cpa->setValue(limits.cpaNm);
  m_tcpa = new QDoubleSpinBox(this);
  m_tcpa->setObjectName(QStringLiteral("tcpalimit"));
  m_tcpa->setRange(1, 120), m_tcpa->setDecimals(0), m_tcpa->setSuffix(" min");
  m_tcpa->setValue(limits.tcpaMinutes);
  auto* ack = new QPushButton(QStringLiteral("A&cknowledge"), this);
  ack->setObjectName(QStringLiteral("acknowledge"));
  m_counts = new QLabel(this);
  row->addWidget(m_alarm);
  row->addWidget(new QLabel(QStringLiteral("CPA below"), this));
  row->addWidget(m_cpa);
  row->addWidget(new QLabel(QStringLiteral("within"), this));
  row->addWidget(m_tcpa);
  row->addWidget(ack);
  row->addStretch();
  row->addWidget(m_counts);
  layout->addLayout(row);
  connect(m_cpa, &QDoubleSpinBox::valueChanged, this, [this] { saveLimits(); });
  connect(m_tcpa, &QDoubleSpinBox::valueChanged, this, [this] { saveLimits(); });
  connect(m_alarm, &QCheckBox::toggled, this, [this] { saveLimits(); });
  connect(ack, &QPushButton::clicked, this, [this] {
    m_app.ais.alarm.acknowledge();
    m_app.alarms.stop(objectName());
  });
  resize(900, 320);
  connect(&m_timer, &QTimer::timeout, this, &AisTargetWindow::refresh);
  m_timer.start(1000);
  refresh();
}

void AisTargetWindow::saveLimits() {
  m_app.ini.set(kSection, QStringLiteral("CpaLimit"), QString::number(m_cpa->value()));
  m_app.ini.set(kSection, QStringLiteral("TcpaLimit"), QString::number(m_tcpa->value()));
  m_app.ini.setBool(kSection, QStringLiteral("CpaAlarm"), m_alarm->isChecked());
}

void AisTargetWindow::refresh() {
  const qint64 now = nowMs(m_app);
  const auto targets = m_app.ais.targets.byRange();
  m_table->setRowCount(static_cast<int>(targets.size()));
  int r = 0;
  for (const AisTarget* t : targets) {
    const QStringList cells = {
        t->name,
        QString::number(t->mmsi),
        t->callsign,
        t->kind == AisTargetKind::AidToNavigation ? QStringLiteral("Aid to navigation")
        : t->kind == AisTargetKind::BaseStation   ? QStringLiteral("Base station")
        : t->shiptype                             ? QString::fromLatin1(aisShipTypeText(t->shiptype))
                                                  : QString(),
        t->length ? QStringLiteral("%1 x %2").arg(t->length).arg(t->beam) : QString(),
        number(t->rangeNm, 2),
        number(t->bearing, 0),
        number(t->course, 1),
        number(t->speed, 1),
        number(t->heading, 0),
        t->cpaKnown ? number(t->cpaNm, 2) : QString(),
        t->cpaKnown && t->tcpaMinutes >= 0 ? number(t->tcpaMinutes, 1) : QString(),
        ageText(t->ageSeconds(now)),
    };
    for (int c = 0; c < cells.size(); ++c) {
      auto* item = m_table->item(r, c);
      if (!item) m_table->setItem(r, c, item = new QTableWidgetItem);
      item->setText(cells[c]);
      item->setForeground(t->dangerous ? QColor(200, 0, 0) : palette().color(QPalette::Text));
    }
    ++r;
  }
  const auto& c = m_app.ais.decoder.counters();
  m_counts->setText(QStringLiteral("%1 targets, %2 messages, %3 errors")
                        .arg(targets.size())
                        .arg(c.messages)
                        .arg(c.errors));
}

void registerAisWindows(App& app) {
  app.windows.add(QStringLiteral("gpsais"), [](App& a) { return new AisTargetWindow(a); });
}

void installAis(App& app, MainWindow& window) {
  app.ais.install(app.receiver);
  app.ais.now = [&app] { return nowMs(app); };
  auto layer = std::make_shared<AisLayer>();
  app.paintChartLayers = [&app, layer](QPainter& p, const ChartProjection& proj, const QRectF& visible) {
    layer->paint(p, proj, app.ais.targets, visible, nowMs(app));
  };
  // The one-second work: age the targets, CPA against the own vessel, the alarm.
  auto* timer = new QTimer(&window);
  timer->setObjectName(QStringLiteral("aistimer"));
  auto painted = std::make_shared<uint64_t>(0);
  QObject::connect(timer, &QTimer::timeout, &window, [&app, painted] {
    bool alarmOn = true;
    const AisAlarmLimits limits = readAisLimits(app, &alarmOn);
    app.ais.tick(app.nav, limits, nowMs(app));
    if (app.ais.generation() != *painted || !app.ais.targets.dangerous().empty()) {
      *painted = app.ais.generation();
      if (app.repaintChart) app.repaintChart();
    }
    if (alarmOn && app.ais.alarm.sounding()) app.alarms.SignalAlarm(QStringLiteral("gpsais"), app.settings.SoundApproach);
    else app.alarms.stop(QStringLiteral("gpsais"));
  });
  timer->start(1000);
  QMenu* menu = window.ensureMenu(QStringLiteral("m_nav"), QStringLiteral("&Navigation"));
  QAction* list = menu->addAction(QStringLiteral("A&IS targets..."));
  list->setObjectName(QStringLiteral("n_ais"));
  QObject::connect(list, &QAction::triggered, &window, [&window] { window.openWindow(QStringLiteral("gpsais")); });
}

}  // namespace tavrik
