#include "core/ui/pc_time_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/clock_setter.h"
#include "core/messages.h"
#include "core/units.h"

namespace tavrik {

PcTimeWindow::PcTimeWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpstime"));
  setWindowTitle(QStringLiteral("Set Pc time & date"));
  auto* form = new QFormLayout;
  m_time = new QLabel(this);
  m_time->setObjectName(QStringLiteral("Label1"));
  m_date = new QLabel(this);
  m_date->setObjectName(QStringLiteral("Label2"));
  for (QLabel* l : {m_time, m_date}) {
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(160);
  }
  form->addRow(QStringLiteral("Time"), m_time);
  form->addRow(QStringLiteral("Date"), m_date);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("Command1"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Command2"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { close(); });
  auto* top = new QVBoxLayout(this);
  top->addLayout(form);
  top->addWidget(buttons);
  m_timer = new QTimer(this);
  m_timer->setInterval(1000);
  connect(m_timer, &QTimer::timeout, this, [this] { refresh(); });
  m_timer->start();
  refresh();
}

void PcTimeWindow::refresh() {
  const QDateTime now = m_app.clock.now();
  const QString t = m_app.panels[Panel::Time], d = m_app.panels[Panel::Date];
  m_time->setText(t.isEmpty() ? FormatTime(now.time()) : t);
  m_date->setText(d.isEmpty() ? FormatDate(now.date()) : d);
}

bool PcTimeWindow::accept() {
  const QString t = m_app.panels[Panel::Time], d = m_app.panels[Panel::Date];
  if (t.isEmpty() && d.isEmpty()) {
    close();
    return true;
  }
  const std::optional<QDateTime> when = pcTimeFromPanels(t, d, m_app.clock.now());
  if (!when) {
    m_app.prompter.information(MessageText(Msg::DateTimeNotCorrect));
    return false;
  }
  QString error;
  if (!m_app.clockSetter->set(*when, error)) {
    // 70: the program's number for "Permission denied".
    ShowError(m_app.prompter, 70, error);
    return false;
  }
  close();
  return true;
}

}  // namespace tavrik
