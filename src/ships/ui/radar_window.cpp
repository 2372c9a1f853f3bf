#include "ships/ui/radar_window.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QTimer>

#include "app/app.h"
#include "ships/radar_view.h"

namespace tavrik {
namespace {

struct Field {
  const char* name;
  const char* caption;
  QString RadarTargetTexts::*text;
};

const Field kFields[] = {
    {"status", "Status", &RadarTargetTexts::status},     {"tname", "Name", &RadarTargetTexts::name},
    {"distance", "Distance", &RadarTargetTexts::distance}, {"bearing", "Bearing", &RadarTargetTexts::bearing},
    {"speed", "Speed", &RadarTargetTexts::speed},         {"course", "Course", &RadarTargetTexts::course},
    {"cpa", "CPA", &RadarTargetTexts::cpa},               {"tcpa", "TCPA (min)", &RadarTargetTexts::tcpa},
    {"position", "Position", &RadarTargetTexts::position}, {"reference", "Reference", &RadarTargetTexts::reference},
    {"updated", "Last update", &RadarTargetTexts::lastUpdate},
};

}  // namespace

RadarWindow::RadarWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsradar"));
  setWindowTitle(QStringLiteral("Radar"));
  m_targets = new QComboBox(this);
  m_targets->setObjectName(QStringLiteral("target"));
  auto* form = new QFormLayout(this);
  form->addRow(QStringLiteral("Target"), m_targets);
  for (const Field& f : kFields) {
    auto* label = new QLabel(this);
    label->setObjectName(QLatin1String(f.name));
    label->setMinimumWidth(200);
    form->addRow(QLatin1String(f.caption), label);
    m_fields[QLatin1String(f.name)] = label;
  }
  connect(m_targets, &QComboBox::activated, this, [this](int i) {
    m_app.radar.selected = m_targets->itemData(i).toInt();
    m_app.requests.radarRedraw = true;  // the radar cursor moves to it
    refresh();
  });
  m_timer = new QTimer(this);
  m_timer->setObjectName(QStringLiteral("Timer1"));
  m_timer->setInterval(1000);
  connect(m_timer, &QTimer::timeout, this, [this] { refresh(); });
  m_timer->start();
  refresh();
}

void RadarWindow::refresh() {
  const RadarTargets& table = m_app.radar;
  const std::vector<int> reported = reportedTargetIndexes(table);
  // The list changes only when targets are added: rebuilding it each second would
  // close it under the user's pointer.
  if (m_targets->count() != static_cast<int>(reported.size())) {
    m_targets->clear();
    for (const int i : reported) m_targets->addItem(QString::number(table.targets[i].Number), i);
  }
  int selected = table.selected;
  if (std::find(reported.begin(), reported.end(), selected) == reported.end())
    selected = reported.empty() ? -1 : reported.front();
  if (selected < 0) {
    for (auto& [name, label] : m_fields) label->clear();
    return;
  }
  m_app.radar.selected = selected;
  m_targets->setCurrentIndex(m_targets->findData(selected));
  const RadarTargetTexts texts = radarTargetTexts(table.targets[selected], m_app.settings.decimals());
  for (const Field& f : kFields) m_fields[QLatin1String(f.name)]->setText(texts.*f.text);
}

QString RadarWindow::fieldText(const QString& objectName) const {
  const auto it = m_fields.find(objectName);
  return it == m_fields.end() ? QString() : it->second->text();
}

}  // namespace tavrik
