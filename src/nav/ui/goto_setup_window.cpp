#include "nav/ui/goto_setup_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/number_format.h"

namespace tavrik {

GotoSetupWindow::GotoSetupWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpscauto"));
  setWindowTitle(QStringLiteral("Go To setup"));
  const AppSettings& s = app.settings;
  auto check = [this](const char* name, const QString& caption, bool on) {
    auto* c = new QCheckBox(caption, this);
    c->setObjectName(QLatin1String(name));
    c->setChecked(on);
    return c;
  };
  auto distance = [&](const char* name, double nm) {
    auto* e = new QLineEdit(formatNumber(nm * s.units.UnitFactor, u"0.000"), this);
    e->setObjectName(QLatin1String(name));
    e->setMaximumWidth(90);
    return e;
  };
  m_alarm = check("alarm", QStringLiteral("Arrival &alarm"), s.GotoAlarm);
  m_alarmDist = distance("alarm_dist", s.GotoAlarmDistance);
  m_automatic = check("automatic", QStringLiteral("Automatic &turn to the next route point"), s.GotoAutomatic);
  m_turnDist = distance("turn_dist", s.GotoTurnDistance);
  m_autopilot = check("autopilot", QStringLiteral("Send to the auto&pilot"), s.GotoAutoPilot);
  m_aam = check("aam", QStringLiteral("AAM"), s.GotoAAM);
  m_apa = check("apa", QStringLiteral("APA"), s.GotoAPA);
  m_apb = check("apb", QStringLiteral("APB"), s.GotoAPB);
  m_bwc = check("bwc", QStringLiteral("BWC"), s.GotoBWC);
  m_bod = check("bod", QStringLiteral("BOD"), s.GotoBOD);
  m_vtg = check("vtg", QStringLiteral("VTG"), s.GotoVTG);
  m_xte = check("xte", QStringLiteral("XTE"), s.GotoXTE);
  m_talker = new QComboBox(this);
  m_talker->setObjectName(QStringLiteral("Combo1"));
  m_talker->addItems({QStringLiteral("II"), QStringLiteral("GP"), QStringLiteral("LC"), QStringLiteral("DE")});
  m_talker->setEditable(true);
  m_talker->setCurrentText(s.GotoTalkerID);

  auto* layout = new QVBoxLayout(this);
  auto* form = new QGridLayout;
  const QString unit = s.units.distanceLabel();
  form->addWidget(m_alarm, 0, 0);
  form->addWidget(m_alarmDist, 0, 1);
  form->addWidget(new QLabel(unit, this), 0, 2);
  form->addWidget(m_automatic, 1, 0);
  form->addWidget(m_turnDist, 1, 1);
  form->addWidget(new QLabel(unit, this), 1, 2);
  layout->addLayout(form);
  auto* pilot = new QGroupBox(QStringLiteral("Autopilot"), this);
  auto* pg = new QGridLayout(pilot);
  pg->addWidget(m_autopilot, 0, 0, 1, 3);
  pg->addWidget(new QLabel(QStringLiteral("Talker"), pilot), 0, 3);
  pg->addWidget(m_talker, 0, 4);
  int k = 0;
  for (QCheckBox* c : {m_xte, m_apb, m_apa, m_aam, m_bwc, m_bod, m_vtg}) {
    pg->addWidget(c, 1 + k / 4, k % 4);
    ++k;
  }
  layout->addWidget(pilot);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
  layout->addWidget(buttons);
  auto closeWindow = [this] {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->close();
    else close();
  };
  connect(buttons, &QDialogButtonBox::accepted, this, [this, closeWindow] {
    accept();
    closeWindow();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, closeWindow);
}

void GotoSetupWindow::accept() {
  AppSettings& s = m_app.settings;
  auto nm = [&](const QLineEdit* e) {
    const QString t = e->text().trimmed();
    return isNumeric(QString(t).replace(QLocale::system().decimalPoint(), QStringLiteral(".")))
               ? parseLocaleNumber(t) / s.units.UnitFactor
               : 0.0;
  };
  s.GotoAlarm = m_alarm->isChecked();
  s.GotoAlarmDistance = nm(m_alarmDist);
  s.GotoAutomatic = m_automatic->isChecked();
  s.GotoTurnDistance = nm(m_turnDist);
  s.GotoAutoPilot = m_autopilot->isChecked();
  s.GotoAAM = m_aam->isChecked();
  s.GotoAPA = m_apa->isChecked();
  s.GotoAPB = m_apb->isChecked();
  s.GotoBWC = m_bwc->isChecked();
  s.GotoBOD = m_bod->isChecked();
  s.GotoVTG = m_vtg->isChecked();
  s.GotoXTE = m_xte->isChecked();
  const QString talker = m_talker->currentText().trimmed().toUpper();
  if (talker.size() == 2) s.GotoTalkerID = talker;
}

}  // namespace tavrik
