#include "nav/ui/autopilot_window.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app.h"

namespace tavrik {

AutopilotWindow::AutopilotWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app), m_pilot(app.nav) {
  setObjectName(QStringLiteral("gpsauto"));
  setWindowTitle(QStringLiteral("Autopilot"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  auto value = [&](const char* name, const QString& caption) {
    auto* l = new QLabel(this);
    l->setObjectName(QLatin1String(name));
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(80);
    form->addRow(caption, l);
    return l;
  };
  m_heading = value("heading", QStringLiteral("Heading (M)"));
  m_wind = value("wind", QStringLiteral("Apparent wind"));
  m_course = value("course", QStringLiteral("Course to steer"));
  m_locked = value("locked", QStringLiteral("Locked wind"));
  layout->addLayout(form);
  auto* grid = new QGridLayout;
  auto button = [&](const char* name, const QString& caption, int row, int col) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QLatin1String(name));
    grid->addWidget(b, row, col);
    return b;
  };
  QPushButton* course = button("Command1", QStringLiteral("Lock &course"), 0, 0);
  QPushButton* wind = button("Command2", QStringLiteral("Lock &wind"), 0, 1);
  QPushButton* stop = button("Command3", QStringLiteral("&Stop"), 0, 2);
  QPushButton* tack = button("Command6", QStringLiteral("&Tack"), 0, 3);
  const std::pair<const char*, float> steps[] = {{"<<", -10}, {"&<", -1}, {"&>", 1}, {">>", 10}};
  int col = 0;
  for (auto [caption, degrees] : steps) {
    QPushButton* b = button(QStringLiteral("adjust%1").arg(col).toLatin1().constData(), QLatin1String(caption), 1, col);
    ++col;
    connect(b, &QPushButton::clicked, this, [this, d = degrees] {
      m_pilot.adjust(d);
      refresh();
    });
  }
  layout->addLayout(grid);
  m_timer = new QTimer(this);
  m_timer->setObjectName(QStringLiteral("Timer1"));
  m_timer->setInterval(1000);
  connect(m_timer, &QTimer::timeout, this, [this] { tick(); });
  connect(course, &QPushButton::clicked, this, [this] { lock(false); });
  connect(wind, &QPushButton::clicked, this, [this] { lock(true); });
  connect(stop, &QPushButton::clicked, this, [this] {
    m_timer->stop();
    m_pilot.stop();
    m_port.close();
    refresh();
  });
  connect(tack, &QPushButton::clicked, this, [this] {
    m_pilot.tack();
    refresh();
  });
  refresh();
}

void AutopilotWindow::lock(bool wind) {
  // The port as the receive path would open it; its own error is the only message.
  const int setting = m_app.settings.Autopilot.trimmed().toInt();
  QString error;
  if (setting > 0 && !m_port.isOpen() && !m_port.open(m_app, setting - 1, error)) m_app.prompter.critical(error);
  wind ? m_pilot.lockWind() : m_pilot.lockCourse();
  m_timer->start();
  refresh();
}

void AutopilotWindow::tick() {
  const QByteArray apb = m_pilot.tick();
  if (!apb.isEmpty() && m_app.settings.Autopilot.trimmed().toInt() > 0) m_port.write(apb);
  refresh();
}

void AutopilotWindow::refresh() {
  m_heading->setText(m_pilot.headingText());
  m_wind->setText(m_pilot.windText());
  m_course->setText(m_pilot.mode() == Autopilot::Mode::Off ? QString() : m_pilot.courseText());
  m_locked->setText(m_pilot.mode() == Autopilot::Mode::Wind ? m_pilot.lockedText() : QString());
}

}  // namespace tavrik
